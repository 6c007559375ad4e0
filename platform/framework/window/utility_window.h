// Hidden windows whose procedure calls a member of their owner, for
// components that receive posted messages or timer ticks (the player, TTimer).
//   HWND w = AllocateHWnd([this](TMessage& m) { WndProc(m); });
//   ...
//   DeallocateHWnd(w);
// The window is a hidden top-level window (so it also hears broadcasts such as
// WM_QUERYENDSESSION) of the class "TPUtilWindow", made on the calling thread;
// its messages are dispatched by that thread's message loop.
// Creation and destruction messages (WM_NCCREATE ... WM_CREATE, WM_DESTROY,
// WM_NCDESTROY) go to DefWindowProc, never to the method. Every other message
// goes to the method, which sets Result; the procedure answers Result and
// does no default processing of its own. An exception from the method is
// caught and handed to ApplicationHandleException; the answer is then 0.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>

#include "framework/messages.h"

using TWndMethod = std::function<void(TMessage&)>;

// nullptr when the window cannot be made.
HWND AllocateHWnd(TWndMethod method);
// Detaches the method, then destroys the window; nullptr is ignored.
void DeallocateHWnd(HWND window);

// Messages the calling thread's framework windows (forms, controls, the
// application's and these hidden ones) have received, sent or dispatched:
// the application's loop tells by it that messages sent from other threads
// were handled while it looked at its queue. CountWindowMessage is for the
// framework's window procedures.
uint32_t WindowMessagesReceived();
void CountWindowMessage();
