#include "platform/rtl/Persistent.h"

#include "platform/rtl/Exception.h"
#include "platform/rtl/Format.h"

void TPersistent::Assign(const TPersistent* source) {
  if (source == nullptr) AssignError(nullptr);
  source->AssignTo(this);
}

void TPersistent::DefineProperties(TFiler&) {}

void TPersistent::AssignTo(TPersistent* dest) const { dest->AssignError(this); }

void TPersistent::AssignError(const TPersistent* source) const {
  const std::string sourceName = source ? source->ClassName() : "nil";
  throw EConvertError(rtl::Format("Cannot assign a %s to a %s", sourceName, ClassName()));
}
