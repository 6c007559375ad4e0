// CD-Text as read from a drive (IOCTL_CDROM_READ_TOC_EX, CD-Text format),
// turned into basscd's "TITLEn=..." / "PERFORMERn=..." lines.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace tavrin_cd {

// data: the reply, a 4-byte header (big-endian length of what follows + 2)
// then packs of 18 bytes. Only bytes within both the header's length and
// bytes are read.
std::vector<std::string> ParseCdTextPacks(const unsigned char* data, size_t bytes);

}  // namespace tavrin_cd
