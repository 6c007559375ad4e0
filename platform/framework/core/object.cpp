#include "framework/object.h"

#include <cxxabi.h>

#include <cstdlib>
#include <memory>
#include <typeinfo>

std::wstring TObject::ClassName() const {
  const char* mangled = typeid(*this).name();
  int status = 0;
  std::unique_ptr<char, decltype(&std::free)> demangled(
      abi::__cxa_demangle(mangled, nullptr, nullptr, &status), &std::free);
  std::string name = (status == 0 && demangled) ? demangled.get() : mangled;
  if (auto colon = name.rfind("::"); colon != std::string::npos) name.erase(0, colon + 2);
  // Class names are plain ASCII identifiers.
  return std::wstring(name.begin(), name.end());
}
