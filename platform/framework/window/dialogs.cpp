#include "framework/dialogs.h"

#include <utility>

#include "framework/forms.h"

namespace {

MessageBoxSink& CurrentSink() {
  static MessageBoxSink sink;
  return sink;
}

BOOL CALLBACK FindSystemDialog(HWND Wnd, LPARAM Found) {
  wchar_t name[8] = {};
  if (IsWindowVisible(Wnd) && GetClassNameW(Wnd, name, 8) && lstrcmpW(name, L"#32770") == 0) {
    *reinterpret_cast<bool*>(Found) = true;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

int ShowMessageBoxW(HWND owner, const std::wstring& text, const std::wstring& caption,
                    UINT flags) {
  if (const MessageBoxSink& sink = CurrentSink()) return sink(owner, text, caption, flags);
  return MessageBoxW(owner, text.c_str(), caption.c_str(), flags);
}

MessageBoxSink SetMessageBoxSink(MessageBoxSink sink) {
  return std::exchange(CurrentSink(), std::move(sink));
}

bool SystemDialogUp() {
  bool found = false;
  EnumThreadWindows(GetCurrentThreadId(), FindSystemDialog, reinterpret_cast<LPARAM>(&found));
  return found;
}

HWND ApplicationHandle() {
  TApplication* app = ExistingApplication();
  return app && app->HandleAllocated() ? app->Handle() : nullptr;
}
