// Readers of the texts BASS hands the player: tag lists and stream titles.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/stream_info.h"

// The strings of a BASS text list (zero-ended strings up to an empty one);
// empty for nullptr. Stops after 4096 strings or 1 MB, so a list that lacks
// its end cannot run away.
std::vector<std::string> TagStrings(const char* list);
// The title between the quotes of StreamTitle='...'; in s; empty without it.
std::string StreamTitleOf(const std::string& s);
// The title of a metadata sync's text: StreamTitle='...'; or, in a list of
// strings, the first "TITLE=" string (any case) from its 7th character on.
std::string MetaTitleOf(const char* data);
// The value of the first "TITLE=..." comment, its name in any letter case as
// Vorbis comments allow ("title=" from oggenc); empty when there is none. Only a
// string that starts with the name counts, so "ALBUMTITLE=" is not a title.
std::string TitleCommentOf(const std::vector<std::string>& strings);
// The last path element of a URL without its last four characters ("song"
// for ".../song.mp3"); empty when the URL has no such element.
std::string TitleFromURL(const std::string& url);
// The whole number at the start of s (blanks skipped); 0 when there is none.
int32_t LeadingNumber(const std::string& s);
// FileSize, BitRate and Title from basswma's "Name : value" attributes.
void ReadWMAAttributes(const std::vector<std::string>& attributes, TStreamInfo& Info);
