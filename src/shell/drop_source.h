// OLE for the whole program: started before any form is made and ended at the
// very end, with the shell's clipboard formats of file drags registered once.
// The program calls InitializeDropSource first thing and FinalizeDropSource
// last; nothing else in the program starts or stops OLE.
#pragma once

#include <windows.h>
#include <ole2.h>

// The numbers the system gave the shell's formats; 0 until initialised.
struct TShellClipboardFormats {
  CLIPFORMAT FileContents = 0;         // "FileContents"
  CLIPFORMAT FileGroupDescriptor = 0;  // "FileGroupDescriptor"
  CLIPFORMAT ShellIDList = 0;          // "Shell IDList Array"
  CLIPFORMAT PreferredDropEffect = 0;  // "Preferred DropEffect"
  CLIPFORMAT URL = 0;                  // "UniformResourceLocator"
};

const TShellClipboardFormats& ShellClipboardFormats();

// OleInitialize on the calling (main) thread and the formats registered. The
// result is OleInitialize's: on failure (the thread already runs a
// multithreaded apartment) drop targets cannot register, and the program
// works on without drops. A second call does nothing more.
HRESULT InitializeDropSource();
// OleUninitialize, when the initialisation succeeded.
void FinalizeDropSource();
