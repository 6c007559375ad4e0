#include "framework/app_exceptions.h"

#include <mutex>
#include <string>

#include "framework/dialogs.h"
#include "framework/exceptions.h"

namespace {

std::mutex SinkLock;
ApplicationExceptionSink& Sink() {
  static ApplicationExceptionSink sink;
  return sink;
}

}  // namespace

std::wstring DescribeException(std::exception_ptr e) {
  try {
    std::rethrow_exception(e);
  } catch (const Exception& ex) {
    return ex.Message();
  } catch (const std::exception& ex) {
    return Utf8ToWide(ex.what());
  } catch (...) {
    return L"Unknown exception";
  }
}

void ApplicationHandleException(std::exception_ptr e) noexcept {
  if (!e) return;
  try {
    ApplicationExceptionSink sink;
    {
      std::lock_guard<std::mutex> guard(SinkLock);
      sink = Sink();
    }
    if (sink) {
      sink(e);
    } else {
      ShowMessageBoxW(ApplicationHandle(), DescribeException(e), L"Error", MB_OK | MB_ICONERROR);
    }
  } catch (...) {
    // The handler itself failed: there is nobody left to tell.
  }
}

ApplicationExceptionSink SetApplicationExceptionSink(ApplicationExceptionSink sink) {
  std::lock_guard<std::mutex> guard(SinkLock);
  ApplicationExceptionSink previous = std::move(Sink());
  Sink() = std::move(sink);
  return previous;
}
