#include "framework/dialogs.h"

#include <utility>

#include "framework/forms.h"

namespace {

MessageBoxSink& CurrentSink() {
  static MessageBoxSink sink;
  return sink;
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

HWND ApplicationHandle() {
  TApplication* app = ExistingApplication();
  return app && app->HandleAllocated() ? app->Handle() : nullptr;
}
