#include <gtest/gtest.h>

#include <fstream>
#include <functional>

#include "engine/bass22_dynamic.h"
#include "engine/basscd22_dynamic.h"
#include "engine/cd_rip_stream.h"
#include "engine/encode_channel.h"
#include "foundation/tnt_string_list.h"
#include "player_fixture.h"
#include "playlist/comp_list.h"
#include "test_support.h"

using namespace player_test;
namespace cd = BassCD22_dynamic;

namespace {

std::string Narrow(const std::wstring& s) { return std::string(s.begin(), s.end()); }

std::vector<TElem> Tracks(TBASSPlayer& player) {
  std::unique_ptr<TCompList> list(player.GetCDTracks());
  std::vector<TElem> tracks(static_cast<size_t>(list->Count()));
  for (int32_t i = 0; i < list->Count(); ++i) list->GetElem(i, tracks[static_cast<size_t>(i)]);
  return tracks;
}

}  // namespace

TEST(PlayerCD, ListsTheDrivesWithTheirLettersAndNumbers) {
  auto player = MakePlayer();
  player->SetCDDrive(2);
  std::unique_ptr<TTntStringList> drives(player->GetCDDrives());
  EXPECT_EQ(player->CDDrive(), 0);
  const wchar_t* expected[] = {L"X: Fake Drive X", L"Y: Tavrin Fake CD", L"Z: Tavrin Fake CD"};
  ASSERT_EQ(drives->Count(), 3);
  for (int32_t i = 0; i < 3; ++i) {
    EXPECT_EQ(drives->Strings(i), expected[i]) << "got " << Narrow(drives->Strings(i));
    auto* number = dynamic_cast<TDriveNumber*>(drives->Objects(i));
    ASSERT_NE(number, nullptr);
    EXPECT_EQ(number->Number, i);
    delete number;
  }
  player->SetCDDrive(1);
  EXPECT_EQ(player->GetCDDriveLetter(), L'Y');
}

TEST(PlayerCD, TrackListsWithAndWithoutCdText) {
  auto player = MakePlayer();
  struct Row {
    const wchar_t* artist;
    const wchar_t* title;
    int32_t duration;
  };
  // X: CD-Text for tracks 1 and 3; track 2 is data, whose length BASS does not give.
  const Row x[] = {{L"Singer One", L"First Song", 1}, {L"", L"Track 02", -1}, {L"", L"Third Song", 2}};
  player->SetCDDrive(0);
  std::vector<TElem> tracks = Tracks(*player);
  ASSERT_EQ(tracks.size(), 3u);
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(tracks[i].Artist, x[i].artist) << i;
    EXPECT_EQ(tracks[i].Title, x[i].title) << i;
    EXPECT_EQ(tracks[i].Duration, x[i].duration) << i;
    EXPECT_EQ(tracks[i].FileName, L"");
    EXPECT_FALSE(tracks[i].Selected);
  }
  // The disc's own texts, before the track list names what it leaves unnamed.
  const std::vector<TCDTrackInfo> info = player->CDTrackInfo();
  ASSERT_EQ(info.size(), 3u);
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(info[i].Title, i == 1 ? L"" : x[i].title) << i;
    EXPECT_EQ(info[i].Artist, x[i].artist) << i;
    EXPECT_EQ(info[i].Duration, x[i].duration) << i;
  }
  // Y: twelve half-second tracks, no CD-Text.
  player->SetCDDrive(1);
  tracks = Tracks(*player);
  ASSERT_EQ(tracks.size(), 12u);
  for (size_t i = 0; i < 12; ++i) {
    wchar_t title[16];
    swprintf(title, 16, L"Track %.2u", static_cast<unsigned>(i + 1));
    EXPECT_EQ(tracks[i].Title, title);
    EXPECT_EQ(tracks[i].Artist, L"");
    EXPECT_EQ(tracks[i].Duration, 0);
  }
  // Z: no disc.
  player->SetCDDrive(2);
  EXPECT_TRUE(Tracks(*player).empty());
}

TEST(PlayerCD, ACdTextKeyMatchesWithItsWholeNumber) {
  auto player = MakePlayer();
  std::wstring ini = FakeDiscFolder('Y') + L"disc.ini";
  std::string original = testing_support::ReadFileBytes(ini);
  {
    std::ofstream out(Narrow(ini), std::ios::binary | std::ios::app);
    out << "[CDText]\r\nTITLE10=Tenth\r\n";
  }
  player->SetCDDrive(1);
  std::vector<TElem> tracks = Tracks(*player);
  {
    std::ofstream out(Narrow(ini), std::ios::binary | std::ios::trunc);
    out << original;
  }
  ASSERT_EQ(tracks.size(), 12u);
  EXPECT_EQ(tracks[0].Title, L"Track 01");
  EXPECT_EQ(tracks[9].Title, L"Tenth");
}

TEST(PlayerCD, OpeningTrackNamesOfEachDrive) {
  auto player = MakePlayer();
  player->SetCDDrive(0);  // X: 3 tracks; the count must come from the named drive
  const std::wstring noDisk =
      L"There is no disk in drive or drive is busy or track with this number doesn't exist or you are "
      L"using CD extractor!";
  struct Case {
    const wchar_t* name;
    bool opens;
    std::wstring text;  // the box shown, if any
    std::wstring caption;
  } cases[] = {
      {L"X:\\0\\1", true, L"", L""},
      {L"Y:\\1\\5", true, L"", L""},  // beyond X's count, within Y's
      {L"Z:\\2\\1", false, noDisk, L"Information"},
      {L"X:\\0\\7", false, L"You are trying to play track #7 on the CD where there is 3 tracks total", L"Info"},
      {L"X:\\0\\2", false, L"Can't play the file\r\nError code: 17", L"Error"},  // the data track
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Narrow(c.name));
    BoxRecorder boxes;
    EXPECT_EQ(player->Open(c.name), c.opens);
    if (c.opens) {
      EXPECT_EQ(player->ChannelKind(), ckCD);
      EXPECT_EQ(player->StreamInfo().SampleRate, 44100);
      EXPECT_EQ(player->StreamInfo().Channels, 2);
    }
    if (c.text.empty()) {
      EXPECT_TRUE(boxes.Boxes.empty());
    } else {
      ASSERT_EQ(boxes.Boxes.size(), 1u);
      EXPECT_EQ(boxes.Boxes[0].Text.substr(0, c.text.size()), c.text) << "got " << Narrow(boxes.Boxes[0].Text);
      EXPECT_EQ(boxes.Boxes[0].Caption, c.caption);
    }
  }
  BoxRecorder boxes;
  player->SetCDBusy(true);  // the CD extractor is open
  EXPECT_FALSE(player->Open(L"X:\\0\\1"));
  ASSERT_EQ(boxes.Boxes.size(), 1u);
  EXPECT_EQ(boxes.Boxes[0].Text, noDisk);
}

TEST(PlayerCD, TheCdChannelPlaysToItsEndAndStaysThePlayers) {
  auto player = MakePlayer();
  ASSERT_TRUE(player->Open(L"X:\\0\\1"));
  DWORD channel = player->Channel();
  BASS_CHANNELINFO info{};
  ASSERT_TRUE(Bass22_dynamic::BASS_ChannelGetInfo(channel, &info));
  EXPECT_EQ(info.flags & BASS_STREAM_AUTOFREE, 0u);
  EXPECT_EQ(info.ctype, static_cast<DWORD>(BASS_CTYPE_STREAM_CD));
  EXPECT_EQ(player->GetLength(), 1000u);
  player->Play();
  Advance(44100 + 4410);
  EXPECT_TRUE(testing_support::PumpMessagesUntil([&] { return player->PlayerMode() == pmStopped; }, 3000));
  EXPECT_TRUE(Bass22_dynamic::BASS_ChannelGetInfo(channel, &info));  // not freed behind the player's back
  player->Play();
  EXPECT_EQ(player->PlayerMode(), pmPlaying);
}

TEST(BassCD, ANewStreamFreesTheDrivesOldOneOnlyWhenAsked) {
  auto player = MakePlayer();
  for (DWORD freeOld : {0u, 1u}) {
    SCOPED_TRACE(freeOld);
    Bass22_dynamic::BASS_SetConfig(BASS_CONFIG_CD_FREEOLD, freeOld);
    HSTREAM first = cd::BASS_CD_StreamCreate(0, 0, 0);
    ASSERT_NE(first, 0u);
    EXPECT_EQ(cd::BASS_CD_StreamGetTrack(first), 0u);
    HSTREAM second = cd::BASS_CD_StreamCreate(0, 2, 0);
    ASSERT_NE(second, 0u);
    EXPECT_EQ(cd::BASS_CD_StreamGetTrack(second), 2u);
    BASS_CHANNELINFO info{};
    EXPECT_EQ(Bass22_dynamic::BASS_ChannelGetInfo(first, &info) != FALSE, freeOld == 0);
    Bass22_dynamic::BASS_StreamFree(first);
    Bass22_dynamic::BASS_StreamFree(second);
  }
}

TEST(BassCD, DiscQueriesAndFailures) {
  auto player = MakePlayer();
  auto check = [](const char* what, const std::function<DWORD()>& call, DWORD expected, int error) {
    DWORD got = call();
    int code = Bass22_dynamic::BASS_ErrorGetCode();
    EXPECT_EQ(got, expected) << what;
    EXPECT_EQ(code, error) << what;
  };
  check("tracks of X", [] { return cd::BASS_CD_GetTracks(0); }, 3, BASS_OK);
  check("length of X1", [] { return cd::BASS_CD_GetTrackLength(0, 0); }, 176400, BASS_OK);
  check("length of the data track", [] { return cd::BASS_CD_GetTrackLength(0, 1); }, 0xFFFFFFFF, BASS_ERROR_NOTAUDIO);
  check("length beyond the disc", [] { return cd::BASS_CD_GetTrackLength(0, 3); }, 0xFFFFFFFF, BASS_ERROR_CDTRACK);
  check("X is ready", [] { return DWORD(cd::BASS_CD_IsReady(0)); }, TRUE, BASS_OK);
  check("Z is not", [] { return DWORD(cd::BASS_CD_IsReady(2)); }, FALSE, BASS_OK);
  check("tracks of Z", [] { return cd::BASS_CD_GetTracks(2); }, 0xFFFFFFFF, BASS_ERROR_NOCD);
  check("stream on Z", [] { return cd::BASS_CD_StreamCreate(2, 0, 0); }, 0, BASS_ERROR_NOCD);
  check("stream of the data track", [] { return cd::BASS_CD_StreamCreate(0, 1, 0); }, 0, BASS_ERROR_NOTAUDIO);
  check("no drive 3", [] { return cd::BASS_CD_GetDriveLetter(3); }, 0xFFFFFFFF, BASS_ERROR_DEVICE);
  check("no text on Y", [] { return DWORD(cd::BASS_CD_GetID(1, BASS_CDID_TEXT) == nullptr); }, TRUE,
        BASS_ERROR_NOTAVAIL);
  check("lock X", [] { return DWORD(cd::BASS_CD_Door(0, BASS_CD_DOOR_LOCK)); }, TRUE, BASS_OK);
  check("locked", [] { return DWORD(cd::BASS_CD_DoorIsLocked(0)); }, TRUE, BASS_OK);
  check("open while locked", [] { return DWORD(cd::BASS_CD_Door(0, BASS_CD_DOOR_OPEN)); }, FALSE,
        BASS_ERROR_NOTAVAIL);
  check("unlock X", [] { return DWORD(cd::BASS_CD_Door(0, BASS_CD_DOOR_UNLOCK)); }, TRUE, BASS_OK);
  check("open X", [] { return DWORD(cd::BASS_CD_Door(0, BASS_CD_DOOR_OPEN)); }, TRUE, BASS_OK);
  check("open door: no disc", [] { return cd::BASS_CD_GetTracks(0); }, 0xFFFFFFFF, BASS_ERROR_NOCD);
  check("close X", [] { return DWORD(cd::BASS_CD_Door(0, BASS_CD_DOOR_CLOSE)); }, TRUE, BASS_OK);
  check("tracks again", [] { return cd::BASS_CD_GetTracks(0); }, 3, BASS_OK);
  check("bad door action", [] { return DWORD(cd::BASS_CD_Door(0, 9)); }, FALSE, BASS_ERROR_ILLPARAM);
}

TEST(PlayerCD, ARipOfThePlayingTrackLeavesThePlayersStreamWhereItWas) {
  auto player = MakePlayer();
  ASSERT_TRUE(player->Open(L"X:\\0\\1"));
  const DWORD channel = player->Channel();
  player->Play();
  Advance(4410);
  const QWORD at = Bass22_dynamic::BASS_ChannelGetPosition(channel);
  const HSTREAM rip = OpenCDRipStream(0, 0);
  ASSERT_NE(rip, 0u);
  testing_support::TempDir dir;
  bool cancel = false;
  player->EncodeChannel(rip, dir.File(L"rip.wav"), L"", cancel, {}, efWAV);
  Bass22_dynamic::BASS_StreamFree(rip);
  // The whole track, sample for sample, while the player's stream stayed put.
  const std::string source = testing_support::ReadFileBytes(FakeDiscFolder('X') + L"one.wav");
  const std::string ripped = testing_support::ReadFileBytes(dir.File(L"rip.wav"));
  EXPECT_EQ(ripped.substr(ripped.find("data") + 8), source.substr(source.find("data") + 8));
  EXPECT_EQ(Bass22_dynamic::BASS_ChannelGetPosition(channel), at);
  EXPECT_EQ(player->PlayerMode(), pmPlaying);
  Advance(4410);
  EXPECT_EQ(Bass22_dynamic::BASS_ChannelGetPosition(channel), at + 4410 * 4);
  EXPECT_EQ(Bass22_dynamic::BASS_GetConfig(BASS_CONFIG_CD_FREEOLD), 1u);
}
