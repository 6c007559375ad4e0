// Exceptions that reach a Win32 callback (window procedure, timer, thread
// entry) must stop there: unwinding through system code is undefined. Each
// such callback catches everything and hands it here.
#pragma once

#include <exception>
#include <functional>
#include <string>

using ApplicationExceptionSink = std::function<void(std::exception_ptr)>;

// The message of an exception: Exception::Message(), what() read as UTF-8,
// or "Unknown exception".
std::wstring DescribeException(std::exception_ptr e);

// Hands e to the installed sink; without one, shows the exception's message in
// an error box (through ShowMessageBoxW). Never throws.
void ApplicationHandleException(std::exception_ptr e) noexcept;

// Installs sink and returns the previous one; nullptr restores the error box.
ApplicationExceptionSink SetApplicationExceptionSink(ApplicationExceptionSink sink);
