#include "foundation/tnt_registry.h"

#include "foundation/tnt_system.h"

void TTntRegistry::WriteString(const std::wstring& Name, const std::wstring& Value) {
  WriteDataString(REG_SZ, Name, Value);
}

void TTntRegistry::WriteDataString(DWORD DataType, const std::wstring& Name,
                                   const std::wstring& Value) {
  if (!Win32PlatformIsUnicode) {
    if (DataType == REG_SZ)
      TRegistry::WriteString(WideToAnsi(Name), WideToAnsi(Value));
    else
      WriteExpandString(WideToAnsi(Name), WideToAnsi(Value));
    return;
  }
  const auto size = static_cast<DWORD>((Value.size() + 1) * sizeof(wchar_t));
  if (CurrentKey() == nullptr ||
      RegSetValueExW(CurrentKey(), Name.c_str(), 0, DataType,
                     reinterpret_cast<const BYTE*>(Value.c_str()), size) != ERROR_SUCCESS)
    throw ERegistryException(L"Failed to set data for '%s'", {Name});
}
