// The framework's exception classes. Messages are UTF-16 so that file names
// survive into them; what() gives the same text in UTF-8.
#pragma once

#include <cstdint>
#include <exception>
#include <initializer_list>
#include <string>

#include "framework/format.h"
#include "framework/object.h"

class Exception : public std::exception, public TObject {
 public:
  explicit Exception(std::wstring message);
  // Formatted creation: Exception(L"Cannot open file \"%s\". %s", {name, text}).
  Exception(std::wstring_view fmt, std::initializer_list<FormatArg> args);

  const std::wstring& Message() const { return FMessage; }
  void SetMessage(std::wstring message);
  const char* what() const noexcept override { return FUtf8.c_str(); }

 private:
  std::wstring FMessage;
  std::string FUtf8;
};

// Declares an exception class that adds nothing but its own type.
#define TAVRIN_DECLARE_EXCEPTION(Name, Base) \
  class Name : public Base {                 \
   public:                                   \
    using Base::Base;                        \
  }

class EOSError : public Exception {
 public:
  EOSError(std::wstring message, uint32_t errorCode)
      : Exception(std::move(message)), FErrorCode(errorCode) {}
  uint32_t ErrorCode() const { return FErrorCode; }

 private:
  uint32_t FErrorCode;
};

TAVRIN_DECLARE_EXCEPTION(EStreamError, Exception);
TAVRIN_DECLARE_EXCEPTION(EFileStreamError, EStreamError);
TAVRIN_DECLARE_EXCEPTION(EFOpenError, EFileStreamError);
TAVRIN_DECLARE_EXCEPTION(EFCreateError, EFileStreamError);
TAVRIN_DECLARE_EXCEPTION(EReadError, EStreamError);
TAVRIN_DECLARE_EXCEPTION(EWriteError, EStreamError);
TAVRIN_DECLARE_EXCEPTION(EResNotFound, Exception);
TAVRIN_DECLARE_EXCEPTION(EConvertError, Exception);
TAVRIN_DECLARE_EXCEPTION(EListError, Exception);
TAVRIN_DECLARE_EXCEPTION(EStringListError, EListError);
TAVRIN_DECLARE_EXCEPTION(EComponentError, Exception);
// The silent exception: unwinds an operation the user or a callback abandoned.
TAVRIN_DECLARE_EXCEPTION(EAbort, Exception);

// The system's own text for an OS error code, as FormatMessage gives it from the
// given module (nullptr: the system only); empty when there is none.
std::wstring SystemMessageText(uint32_t code, void* module = nullptr);
// Raises EOSError for the given code: "System Error.  Code: %d.\n%s", or
// "A call to an OS function failed" when the code is 0.
[[noreturn]] void RaiseLastOSError(uint32_t lastError);
[[noreturn]] void RaiseLastOSError();
