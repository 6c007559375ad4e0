// Extended M3U playlists.
//   Writing: FF FE, then "#EXTM3U" and for each entry "#EXTINF:<seconds>,<title>"
//   and its file name, every line followed by CR LF, in UTF-16LE. Control
//   characters in a title or file name are written as spaces, so that every
//   entry stays one pair of lines and the file reads back entry for entry;
//   the reader turns them into spaces too, so a loaded list saves unchanged.
//   Reading: UTF-16LE, UTF-16BE, UTF-8 with its mark, or ANSI. The first line
//   must begin with "#". The lines after it are taken in pairs by position: an
//   information line "...:<seconds>,<title>" (the number between the first ":"
//   and the first ","), then a path line. Blank lines between pairs are
//   skipped; a pair whose path is blank gives no entry; a last unpaired line is
//   ignored.
//   Paths: URLs, drive paths and UNC paths are kept; a path rooted with "\"
//   lies on the playlist's drive; any other relative path in its folder.
//   Limits (elem.h), the same both ways: a pair whose file name, once
//   resolved, is too long gives no entry, and is not written; titles are cut.
//   So the longest line either side meets stays far inside the text reader's
//   line limit.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "framework/exceptions.h"
#include "playlist/elem.h"

TAVRIN_DECLARE_EXCEPTION(EPlaylistError, Exception);

// Hands each entry to Add in file order; false (nothing read) when the first
// line does not begin with "#". Raises EFOpenError when the file cannot be
// opened, EPlaylistError when it has no lines or an empty first line, or when
// a NUL ends its text before the end of the file (anything but zeros after
// it), and EConvertError "'%s' is not a valid integer value" for a bad
// duration; the last two after the entries before them were handed over, so
// a caller can tell a list read to its end from one that stopped early.
bool ReadExtendedM3U(const std::wstring& FileName, const std::function<void(TElem& Elem)>& Add);

// Entry(i) for i in 0..Count-1. Raises EFCreateError "Cannot create file "%s". %s"
// when the file cannot be written; the old file then stays as it was.
void WriteExtendedM3U(const std::wstring& FileName, int32_t Count,
                      const std::function<const TElem&(int32_t Index)>& Entry);

// The file name that a path line of the playlist PlaylistName stands for.
std::wstring ResolvePlaylistPath(const std::wstring& PlaylistName, const std::wstring& Line);
