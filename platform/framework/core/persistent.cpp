#include "framework/persistent.h"

#include "framework/exceptions.h"

void TPersistent::Assign(TPersistent* source) {
  if (source) {
    // The source may know how to write itself into this class.
    source->AssignTo(this);
  } else {
    AssignError(nullptr);
  }
}

void TPersistent::AssignTo(TPersistent* dest) { dest->AssignError(this); }

void TPersistent::AssignError(TPersistent* source) {
  std::wstring sourceName = source ? source->ClassName() : std::wstring(L"nil");
  throw EConvertError(L"Cannot assign a %s to a %s", {sourceName, ClassName()});
}
