// The folder of the running program, where the BASS libraries are loaded from.
#pragma once

#include <string>

// The folder of the running executable with a trailing backslash. Taken from
// the module's own file name, never from the command line, whose first
// parameter may lack the folder (the libraries would then be searched for).
std::wstring ProgramFolder();
