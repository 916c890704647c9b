#pragma once
// The exception class of the container of named streams: damaged or foreign
// files, unknown streams, refused re-entry and failed temporary files.

#include "platform/rtl/Exception.h"

RTL_DECLARE_EXCEPTION(EStorageError, EStreamError);
