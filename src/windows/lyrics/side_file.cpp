#include "windows/lyrics/side_file.h"

#include <windows.h>

#include <string_view>
#include <utility>

#include "foundation/file_replace.h"
#include "foundation/tnt_sysutils.h"
#include "framework/exceptions.h"
#include "framework/streams.h"

namespace {

// CR LF, LF and CR all end a line; the result's lines end in CR LF, but for
// the last one.
std::wstring WithCrLf(std::wstring_view Text) {
  std::wstring out;
  out.reserve(Text.size() + Text.size() / 16);
  for (size_t i = 0; i < Text.size(); ++i) {
    const wchar_t c = Text[i];
    if (c == L'\r' || c == L'\n') {
      out += L"\r\n";
      if (c == L'\r' && i + 1 < Text.size() && Text[i + 1] == L'\n') ++i;
    } else {
      out += c;
    }
  }
  return out;
}

std::wstring Decode(std::string_view Bytes, UINT CodePage, DWORD Flags, bool& Ok) {
  Ok = true;
  if (Bytes.empty()) return std::wstring();
  const int size = static_cast<int>(Bytes.size());
  const int n = MultiByteToWideChar(CodePage, Flags, Bytes.data(), size, nullptr, 0);
  if (n <= 0) {
    Ok = false;
    return std::wstring();
  }
  std::wstring text(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CodePage, Flags, Bytes.data(), size, text.data(), n);
  return text;
}

std::wstring DecodeUtf16(std::string_view Bytes, bool BigEndian) {
  std::wstring text(Bytes.size() / 2, L'\0');
  for (size_t i = 0; i < text.size(); ++i) {
    const auto a = static_cast<uint8_t>(Bytes[2 * i]), b = static_cast<uint8_t>(Bytes[2 * i + 1]);
    text[i] = static_cast<wchar_t>(BigEndian ? (a << 8 | b) : (b << 8 | a));
  }
  return text;
}

// The bytes WriteSideFile writes for a text whose lines already end in CR LF:
// the mark, and the text in UTF-16 with a line break after its last line.
uint64_t WrittenBytes(const std::wstring& Text) {
  const bool ended = Text.empty() || Text.ends_with(L"\r\n");
  return 2 + 2 * (uint64_t{Text.size()} + (ended ? 0 : 2));
}

bool LooksLikeText(const std::wstring& Text) {
  for (wchar_t c : Text)
    if (c < 0x20 && c != L'\t' && c != L'\r' && c != L'\n' && c != L'\f') return false;
  return true;
}

}  // namespace

std::wstring LyricsFileNameFor(const std::wstring& SongFile) {
  return WideChangeFileExt(SongFile, L".txt");
}

TSideFileRead ReadSideFile(const std::wstring& Path, std::wstring& Text) {
  Text.clear();
  HANDLE file = CreateFileW(Path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? TSideFileRead::Missing
                                                                          : TSideFileRead::Unreadable;
  }
  LARGE_INTEGER size{};
  std::string bytes;
  bool read = GetFileSizeEx(file, &size) != 0;
  if (read && static_cast<uint64_t>(size.QuadPart) > kMaxSideFileBytes) {
    CloseHandle(file);
    return TSideFileRead::TooLarge;
  }
  if (read) {
    bytes.resize(static_cast<size_t>(size.QuadPart));
    DWORD got = 0;
    read = bytes.empty() || (ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr) &&
                             got == bytes.size());
  }
  CloseHandle(file);
  if (!read) return TSideFileRead::Unreadable;

  const std::string_view all(bytes);
  bool ok = true;
  std::wstring text;
  if (all.starts_with("\xFF\xFE")) {
    text = DecodeUtf16(all.substr(2), false);
  } else if (all.starts_with("\xFE\xFF")) {
    text = DecodeUtf16(all.substr(2), true);
  } else if (all.starts_with("\xEF\xBB\xBF")) {
    text = Decode(all.substr(3), CP_UTF8, 0, ok);
  } else {
    // Without a mark: UTF-8 when it is valid UTF-8 (plain ASCII is both).
    text = Decode(all, CP_UTF8, MB_ERR_INVALID_CHARS, ok);
    if (!ok) text = Decode(all, CP_ACP, 0, ok);
  }
  if (!ok || !LooksLikeText(text)) return TSideFileRead::NotText;
  text = WithCrLf(text);
  // An 8-bit file or one of bare line feeds grows when it is saved back:
  // what is shown must still show once the editor has saved it.
  if (WrittenBytes(text) > kMaxSideFileBytes) return TSideFileRead::TooLarge;
  Text = std::move(text);
  return TSideFileRead::Read;
}

void WriteSideFile(const std::wstring& Path, const std::wstring& Text) {
  // The rewrite would carry a read-only mark over to the new file; the mark
  // means the user does not want the file changed.
  const DWORD attributes = GetFileAttributesW(Path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
    throw EFCreateError(L"Cannot create file \"%s\". %s", {Path, WideSysErrorMessage(ERROR_ACCESS_DENIED)});
  std::wstring body = WithCrLf(Text);
  if (WrittenBytes(body) > kMaxSideFileBytes)
    throw EFCreateError(L"Cannot create file \"%s\". The text is longer than a side file may hold.", {Path});
  if (!body.empty() && !body.ends_with(L"\r\n")) body += L"\r\n";
  WideWriteFileReplacing(Path, [&](TStream& Stream) {
    const uint8_t mark[2] = {0xFF, 0xFE};
    Stream.WriteBuffer(mark, 2);
    std::string bytes(body.size() * 2, '\0');
    for (size_t i = 0; i < body.size(); ++i) {
      bytes[2 * i] = static_cast<char>(body[i] & 0xFF);
      bytes[2 * i + 1] = static_cast<char>(body[i] >> 8);
    }
    if (!bytes.empty()) Stream.WriteBuffer(bytes.data(), static_cast<int32_t>(bytes.size()));
  });
}
