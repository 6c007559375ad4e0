#include "framework/utility_window.h"

#include "framework/app_exceptions.h"

namespace {

const char kClassName[] = "TPUtilWindow";

TWndMethod* MethodOf(HWND window) {
  return reinterpret_cast<TWndMethod*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

bool IsLifecycleMessage(UINT msg) {
  switch (msg) {
    case WM_NCCREATE:
    case WM_NCCALCSIZE:
    case WM_CREATE:
    case WM_DESTROY:
    case WM_NCDESTROY:
      return true;
    default:
      return false;
  }
}

thread_local uint32_t tWindowMessages = 0;

LRESULT CALLBACK UtilWindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  CountWindowMessage();
  TWndMethod* method = MethodOf(window);
  if (method == nullptr || IsLifecycleMessage(msg)) {
    return DefWindowProcA(window, msg, wParam, lParam);
  }
  TMessage message{msg, wParam, lParam, 0};
  try {
    (*method)(message);
  } catch (...) {
    ApplicationHandleException(std::current_exception());
    return 0;
  }
  return message.Result;
}

bool RegisterUtilClass() {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSA existing{};
  if (GetClassInfoA(instance, kClassName, &existing)) return true;
  WNDCLASSA cls{};
  cls.lpfnWndProc = UtilWindowProc;
  cls.hInstance = instance;
  cls.lpszClassName = kClassName;
  return RegisterClassA(&cls) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

}  // namespace

uint32_t WindowMessagesReceived() { return tWindowMessages; }

void CountWindowMessage() { ++tWindowMessages; }

HWND AllocateHWnd(TWndMethod method) {
  if (!RegisterUtilClass()) return nullptr;
  HWND window = CreateWindowExA(WS_EX_TOOLWINDOW, kClassName, "", WS_POPUP, 0, 0, 0, 0, nullptr,
                                nullptr, GetModuleHandleA(nullptr), nullptr);
  if (window == nullptr) return nullptr;
  SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(new TWndMethod(std::move(method))));
  return window;
}

void DeallocateHWnd(HWND window) {
  if (window == nullptr || !IsWindow(window)) return;
  TWndMethod* method = MethodOf(window);
  SetWindowLongPtrA(window, GWLP_USERDATA, 0);
  DestroyWindow(window);
  delete method;
}
