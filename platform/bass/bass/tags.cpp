// BASS_StreamGetTags: the tag blocks a channel's decoder read from its source.
// Binary images end with two zero bytes, text lists with an empty string.
#include "bass/bass/entry.h"
#include "bass/bass/with_channel.h"

using namespace bass_core;
using namespace tavrin_bass;

const char* WINAPI BASS_StreamGetTags(HSTREAM handle, DWORD tags) {
  return Guard<&BASS_StreamGetTags>([&] {
    const char* block = nullptr;
    int error = WithChannel(handle, [&](Channel& c) {
      if (tags > BASS_TAG_META) return static_cast<int>(BASS_ERROR_ILLTYPE);
      const std::string* found = c.Tags(tags);
      if (!found) return static_cast<int>(BASS_ERROR_NOTAVAIL);
      block = found->data();
      return static_cast<int>(BASS_OK);
    });
    return Answer<&BASS_StreamGetTags>(error, block);
  });
}
