#include "engine/bass_player.h"

// The add-on flags need no test here: EncodeChannel asks the loaders, which
// hold a library exactly when the player's flag for it is set.
void TBASSPlayer::EncodeChannel(DWORD Channel, const std::wstring& OutFile,
                                const std::wstring& Options, bool& Cancel,
                                const TEncodeProgress& Progress, uint8_t Format) {
  ::EncodeChannel(Channel, OutFile, Options, Cancel, Progress, Format);
}
