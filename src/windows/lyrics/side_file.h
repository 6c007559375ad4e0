// The lyrics side file of a song: the song's name with ".txt" for its
// extension, read whatever its encoding and written as UTF-16LE with its mark.
#pragma once

#include <cstdint>
#include <string>

// The most a side file may hold to be shown.
constexpr uint64_t kMaxSideFileBytes = 1024 * 1024;

// The song's path with its extension (after the last "\" or ":") replaced by
// ".txt", or ".txt" appended.
std::wstring LyricsFileNameFor(const std::wstring& SongFile);

enum class TSideFileRead : uint8_t { Read, Missing, TooLarge, NotText, Unreadable };

// Text := the file's lines joined by CR LF. By its mark: UTF-16LE, UTF-16BE,
// UTF-8; without one UTF-8 when the bytes are valid UTF-8, else the system
// code page. A file above kMaxSideFileBytes, one whose text WriteSideFile
// would write above it, or one holding NUL or other control characters than
// tab, line and page breaks, is refused; Text is then empty.
TSideFileRead ReadSideFile(const std::wstring& Path, std::wstring& Text);

// The mark FF FE, then every line of Text followed by CR LF, in UTF-16LE,
// through a temporary file, so a failure leaves the old file whole.
// EFCreateError when the file cannot be written, is marked read-only or
// would be above kMaxSideFileBytes (which ReadSideFile refuses).
void WriteSideFile(const std::wstring& Path, const std::wstring& Text);
