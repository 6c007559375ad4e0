// Reading an ASF file's header object and putting a new header in front of the
// rest of the file. The new file is built beside the old one and moved over it
// in one step, so a failure at any point leaves the original as it was.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

// Header receives the whole header object, FileSize the file's size.
HRESULT ReadAsfHeader(const std::wstring& FileName, std::string& Header, uint64_t& FileSize);

// Replaces the file's first OldHeaderSize bytes by NewHeader. Fails, touching
// nothing, when the file no longer holds OldHeader or is not FileSize long.
HRESULT ReplaceAsfHeader(const std::wstring& FileName, const std::string& OldHeader, uint64_t FileSize,
                         const std::string& NewHeader);
