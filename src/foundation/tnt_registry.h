// The framework's registry with UTF-16 string values: file associations name
// programs and folders by their full UTF-16 paths.
#pragma once

#include <windows.h>

#include <string>

#include "framework/registry.h"

class TTntRegistry : public TRegistry {
 public:
  using TRegistry::TRegistry;

  // A REG_SZ value of the open key; "Failed to set data for '%s'" when the
  // registry refuses it.
  void WriteString(const std::wstring& Name, const std::wstring& Value);
  using TRegistry::WriteString;

 protected:
  // REG_SZ (1) or another string type, stored with its terminating NUL.
  void WriteDataString(DWORD DataType, const std::wstring& Name, const std::wstring& Value);
};
