#pragma once
// The exception class of the raster library's own failures (bad bitmaps and
// rectangles handed to the transfers, unreadable raster files).

#include "platform/rtl/Exception.h"

RTL_DECLARE_EXCEPTION(ERasterError, Exception);
