// The check an address typed into the open-URL dialog passes before it goes
// to the playlist: only what the player opens as a stream, of a sane length,
// and nothing a line of text could not hold.
#pragma once

#include <cstddef>
#include <string>

enum class TURLCheck { Accepted, Empty, Scheme, TooLong, ControlCharacter };

// Longer addresses are refused: no stream needs one, and the player hands
// the address on as 8-bit text of a bounded size.
inline constexpr size_t kMaxStreamURLLength = 1024;

// Text with blanks and line breaks around it trimmed; the scheme must be
// http://, ftp:// or mms:// (in any letter case; written in lower case into
// URL, as the playlist recognises streams by it). URL holds the address only
// when it is accepted.
TURLCheck CheckStreamURL(const std::wstring& Text, std::wstring& URL);
// The "Messages" key that explains a refusal; empty for Accepted.
const wchar_t* URLCheckMessage(TURLCheck Check);
