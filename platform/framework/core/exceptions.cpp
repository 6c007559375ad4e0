#include "framework/exceptions.h"

#include <windows.h>

Exception::Exception(std::wstring message) { SetMessage(std::move(message)); }

Exception::Exception(std::wstring_view fmt, std::initializer_list<FormatArg> args) {
  SetMessage(Format(fmt, args));
}

void Exception::SetMessage(std::wstring message) {
  FMessage = std::move(message);
  FUtf8 = WideToUtf8(FMessage);
}

std::wstring SystemMessageText(uint32_t code, void* module) {
  DWORD flags = FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS |
                FORMAT_MESSAGE_ARGUMENT_ARRAY;
  if (module) flags |= FORMAT_MESSAGE_FROM_HMODULE;
  wchar_t buffer[256] = {};
  DWORD n = FormatMessageW(flags, module, code, 0, buffer, 256, nullptr);
  return std::wstring(buffer, n > 256 ? 256 : n);
}

void RaiseLastOSError(uint32_t lastError) {
  if (lastError == 0) throw EOSError(L"A call to an OS function failed", 0);
  std::wstring text = SystemMessageText(lastError);
  while (!text.empty() && static_cast<unsigned>(text.back()) <= 32) text.pop_back();
  throw EOSError(Format(L"System Error.  Code: %d.\n%s", {lastError, text}), lastError);
}

void RaiseLastOSError() { RaiseLastOSError(GetLastError()); }
