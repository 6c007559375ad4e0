// Message boxes. Every box of the program goes through ShowMessageBoxW, so a
// test can install a sink that records the box instead of blocking on it.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

using MessageBoxSink =
    std::function<int(HWND owner, const std::wstring& text, const std::wstring& caption,
                      UINT flags)>;

// MessageBoxW, or the installed sink; the result is the button pressed.
int ShowMessageBoxW(HWND owner, const std::wstring& text, const std::wstring& caption,
                    UINT flags);

// Installs sink and returns the previous one; nullptr restores MessageBoxW.
MessageBoxSink SetMessageBoxSink(MessageBoxSink sink);

// A message box or another system dialog (class "#32770": a file or folder
// dialog) of this thread on the screen, whichever window owns it.
bool SystemDialogUp();

// The application window, owner of the program's message boxes. Until the
// framework has its application object this is nullptr: boxes then belong to
// the desktop.
HWND ApplicationHandle();
