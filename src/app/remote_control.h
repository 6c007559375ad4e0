// The remote-control message: another program drives the player by posting or
// sending it to the main window (class "TTavrinMainForm"); WParam is the
// command, LParam its argument. Codes the program does not know do nothing.
#pragma once

#include <windows.h>

constexpr UINT WM_REMOTECOMMAND = 0x89CE;
// Posted by the main window to itself: the commands held back may run now.
constexpr UINT WM_RUNREMOTEQUEUE = WM_APP + 0x120;
