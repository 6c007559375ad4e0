// One running instance: a second start hands its command line to the running
// main window (WM_COPYDATA) and ends.
//
// The record: dwData 1, lpData the UTF-16 text "item|item|...|" with its
// terminating zero counted in cbData. The sender makes every name absolute
// first: the receiver runs in another current folder.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// The semaphore that marks a running instance. False when this is the first
// instance (it then keeps the semaphore for its lifetime).
bool AnotherInstanceRuns();
// Marks Window as the running player's main window, the one second starts
// hand over to. The first instance marks its window at once.
void MarkRunningPlayer(HWND Window);
// The main window of another instance: a top-level window of the class that
// belongs to another process and carries the running player's mark. Found by
// its class and mark, so a translated caption does not hide it, and another
// second start's window is never taken for it. Waits up to WaitMs for it (a first instance that
// is still starting). nullptr when there is none.
HWND FindRunningMainWindow(const wchar_t* ClassName, DWORD WaitMs);
// Lets Window's process take the foreground and brings Window to the front
// (the receiver of the hand-over restores itself: a window hidden by the
// minimise is not iconic); never blocks on a window that does not answer.
void BringWindowToFront(HWND Window);

// The hand-over text of Params (program arguments 1..n).
std::wstring BuildCopyDataText(const std::vector<std::wstring>& Params);
// Sends the hand-over to Window from Sender; false when Window did not answer
// within TimeoutMs (or refused it).
bool SendCopyDataFileList(HWND Window, HWND Sender, const std::wstring& Text, UINT TimeoutMs);
// Whether a received record is a hand-over (dwData's low byte 1), even an
// empty one.
bool IsCopyDataFileList(const COPYDATASTRUCT* Data);
// The items of a received record, read within cbData: the text ends at its
// zero or at cbData, whichever comes first; a last item without its "|" is
// taken too; empty items are dropped. Nothing for a record that is not a
// hand-over (dwData's low byte not 1, no data).
std::vector<std::wstring> SplitCopyDataFileList(const COPYDATASTRUCT* Data);
