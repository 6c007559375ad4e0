// The system registry as the framework sees it: one open key at a time, key
// paths that begin with "\" taken from the root key and others from the open
// key, and string values in the system code page.
//   Failures to open, create or delete a key show in the Boolean result;
//   a value the registry refuses raises ERegistryException.
// Ownership: the object owns the open key's handle and closes it.
#pragma once

#include <windows.h>

#include <string>

#include "framework/exceptions.h"
#include "framework/object.h"

TAVRIN_DECLARE_EXCEPTION(ERegistryException, Exception);

class TRegistry : public TObject {
 public:
  // HKEY_CURRENT_USER, KEY_ALL_ACCESS, lazy writing on.
  TRegistry();
  explicit TRegistry(REGSAM AAccess);
  ~TRegistry() override;
  TRegistry(const TRegistry&) = delete;
  TRegistry& operator=(const TRegistry&) = delete;

  HKEY RootKey() const { return FRootKey; }
  // Closes the open key first.
  void SetRootKey(HKEY Value);
  HKEY CurrentKey() const { return FCurrentKey; }
  // The open key's path below the root, without a leading "\".
  const std::string& CurrentPath() const { return FCurrentPath; }
  REGSAM Access() const { return FAccess; }
  void SetAccess(REGSAM Value) { FAccess = Value; }
  // Off: closing a key flushes it to the disk at once.
  bool LazyWrite() const { return FLazyWrite; }
  void SetLazyWrite(bool Value) { FLazyWrite = Value; }

  // The opened key becomes the current one (closing the previous one).
  bool OpenKey(const std::string& Key, bool CanCreate);
  bool OpenKeyReadOnly(const std::string& Key);
  void CloseKey();
  // The key with all its sub-keys and values; False when it was not there or
  // could not go.
  bool DeleteKey(const std::string& Key);
  bool KeyExists(const std::string& Key);
  bool ValueExists(const std::string& Name) const;
  bool DeleteValue(const std::string& Name);

  // "Failed to set data for '%s'" when the registry refuses the value.
  void WriteString(const std::string& Name, const std::string& Value);
  void WriteExpandString(const std::string& Name, const std::string& Value);
  // "" when the value is missing; "Invalid data type for '%s'" when it is no
  // string.
  std::string ReadString(const std::string& Name) const;

 protected:
  // Stores Size bytes of Buffer as a value of type DataType.
  void PutData(const std::string& Name, const void* Buffer, DWORD Size, DWORD DataType);
  // The key a path is taken from: the root for "\..." or when none is open.
  HKEY GetBaseKey(bool Relative) const;

 private:
  void ChangeKey(HKEY Value, const std::string& Path);

  HKEY FRootKey = HKEY_CURRENT_USER;
  HKEY FCurrentKey = nullptr;
  std::string FCurrentPath;
  REGSAM FAccess = KEY_ALL_ACCESS;
  bool FLazyWrite = true;
};
