#include "framework/registry.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

// "\Software\X" is taken from the root key; the "\" goes.
bool IsRelative(std::string& Key) {
  if (!Key.empty() && Key.front() == '\\') {
    Key.erase(0, 1);
    return false;
  }
  return true;
}

// A string value longer than this is refused as data the program never writes.
constexpr DWORD kMaxStringBytes = 1 << 20;

}  // namespace

TRegistry::TRegistry() = default;

TRegistry::TRegistry(REGSAM AAccess) : FAccess(AAccess) {}

TRegistry::~TRegistry() { CloseKey(); }

void TRegistry::SetRootKey(HKEY Value) {
  if (FRootKey == Value) return;
  CloseKey();
  FRootKey = Value;
}

HKEY TRegistry::GetBaseKey(bool Relative) const {
  return FCurrentKey == nullptr || !Relative ? FRootKey : FCurrentKey;
}

void TRegistry::ChangeKey(HKEY Value, const std::string& Path) {
  CloseKey();
  FCurrentKey = Value;
  FCurrentPath = Path;
}

bool TRegistry::OpenKey(const std::string& Key, bool CanCreate) {
  std::string path = Key;
  const bool relative = IsRelative(path);
  HKEY opened = nullptr;
  LONG result;
  if (CanCreate) {
    result = RegCreateKeyExA(GetBaseKey(relative), path.c_str(), 0, nullptr,
                             REG_OPTION_NON_VOLATILE, FAccess, nullptr, &opened, nullptr);
  } else {
    result = RegOpenKeyExA(GetBaseKey(relative), path.c_str(), 0, FAccess, &opened);
  }
  if (result != ERROR_SUCCESS) return false;
  if (FCurrentKey != nullptr && relative) path = FCurrentPath + "\\" + path;
  ChangeKey(opened, path);
  return true;
}

bool TRegistry::OpenKeyReadOnly(const std::string& Key) {
  const REGSAM saved = FAccess;
  FAccess = KEY_READ;
  const bool opened = OpenKey(Key, false);
  FAccess = saved;
  return opened;
}

void TRegistry::CloseKey() {
  if (FCurrentKey == nullptr) return;
  if (!FLazyWrite) RegFlushKey(FCurrentKey);
  RegCloseKey(FCurrentKey);
  FCurrentKey = nullptr;
  FCurrentPath.clear();
}

bool TRegistry::DeleteKey(const std::string& Key) {
  std::string path = Key;
  const bool relative = IsRelative(path);
  // RegDeleteKey refuses a key that still has sub-keys; the tree call takes
  // them with it.
  return RegDeleteTreeA(GetBaseKey(relative), path.c_str()) == ERROR_SUCCESS;
}

bool TRegistry::KeyExists(const std::string& Key) {
  std::string path = Key;
  const bool relative = IsRelative(path);
  HKEY probe = nullptr;
  if (RegOpenKeyExA(GetBaseKey(relative), path.c_str(), 0, KEY_READ, &probe) != ERROR_SUCCESS)
    return false;
  RegCloseKey(probe);
  return true;
}

bool TRegistry::ValueExists(const std::string& Name) const {
  return FCurrentKey != nullptr && RegQueryValueExA(FCurrentKey, Name.c_str(), nullptr, nullptr,
                                                    nullptr, nullptr) == ERROR_SUCCESS;
}

bool TRegistry::DeleteValue(const std::string& Name) {
  return FCurrentKey != nullptr && RegDeleteValueA(FCurrentKey, Name.c_str()) == ERROR_SUCCESS;
}

void TRegistry::PutData(const std::string& Name, const void* Buffer, DWORD Size, DWORD DataType) {
  if (FCurrentKey == nullptr ||
      RegSetValueExA(FCurrentKey, Name.c_str(), 0, DataType, static_cast<const BYTE*>(Buffer),
                     Size) != ERROR_SUCCESS)
    throw ERegistryException(L"Failed to set data for '%s'", {Name});
}

void TRegistry::WriteString(const std::string& Name, const std::string& Value) {
  PutData(Name, Value.c_str(), static_cast<DWORD>(Value.size() + 1), REG_SZ);
}

void TRegistry::WriteExpandString(const std::string& Name, const std::string& Value) {
  PutData(Name, Value.c_str(), static_cast<DWORD>(Value.size() + 1), REG_EXPAND_SZ);
}

std::string TRegistry::ReadString(const std::string& Name) const {
  if (FCurrentKey == nullptr) return {};
  DWORD type = 0, size = 0;
  if (RegQueryValueExA(FCurrentKey, Name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
    return {};
  if ((type != REG_SZ && type != REG_EXPAND_SZ) || size > kMaxStringBytes)
    throw ERegistryException(L"Invalid data type for '%s'", {Name});
  std::vector<char> data(size + 1, '\0');
  if (RegQueryValueExA(FCurrentKey, Name.c_str(), nullptr, &type,
                       reinterpret_cast<BYTE*>(data.data()), &size) != ERROR_SUCCESS)
    return {};
  // The stored text may or may not carry its own terminating NUL.
  return std::string(data.data(), strnlen(data.data(), std::min<size_t>(size, data.size())));
}
