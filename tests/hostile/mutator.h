// Deterministic mutants of a file: the same bytes, seed and index always give
// the same mutant, so a failure names a mutant anyone can make again. Index 0
// is the file as it is.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace hostile {

struct Mutant {
  std::string Bytes;
  std::string Description;
};

Mutant MakeMutant(const std::string& Original, uint64_t Seed, uint32_t Index);

// A length or count the format stores, which mutants aim interesting values at.
struct SizeField {
  size_t Offset;
  uint8_t Width;  // bytes
  enum Kind : uint8_t { kLittle, kBig, kSyncsafe, kDecimal } Encoding;
  const char* Name;
};

// The fields of an ID3v2 tag and its frames, RIFF chunks, Ogg pages and Vorbis
// comments, ASF objects and their descriptors, a Lyrics3 block, an MPEG Xing
// header, a .bmp's headers and RLE codes, an .ico's directory and image
// headers, a resource DLL's way to its icons, a DROPFILES header and the
// numbers of an INI text or of XML attributes, as far as the bytes hold them.
std::vector<SizeField> FindSizeFields(const std::string& Bytes);

// Rewrites the checksum of every whole Ogg page, so a mutant reaches the
// decoder instead of being dropped as a damaged page.
void FixOggChecksums(std::string& Bytes);

}  // namespace hostile
