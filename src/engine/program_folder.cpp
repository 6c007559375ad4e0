#include "engine/program_folder.h"

#include "foundation/tnt_sysutils.h"

std::wstring ProgramFolder() { return WideExtractFilePath(WideGetModuleFileName(nullptr)); }
