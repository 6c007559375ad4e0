#include "playlist_form_support.h"

#include "../formats/tag_bytes.h"
#include "foundation/tnt_system.h"
#include "framework/dialogs.h"
#include "localization/localization.h"
#include "playlist/comp_list.h"
#include "wav_bytes.h"
#include "windows/playlist/play_list_box.h"

namespace playlist_window_test {

void FakeHost::Play() {
  ++Plays;
  PlayedIndexes.push_back(Form ? Form->List()->GetCurrentIndex() : -2);
}

void PlaylistFormTest::SetUp() {
  FLanguageDir = std::make_unique<testing_support::TempDir>();
  FSavedLanguage = LanguageFile;
  LanguageFile = FLanguageDir->WriteFile(
      L"Test.ini",
      "[Messages]\r\nPlaylistIsInvalid=PlaylistIsInvalid: %s\r\nCantSavePlaylist=CantSavePlaylist: %s\r\n"
      "ConfirmEraseFiles=ConfirmEraseFiles: %d\r\nSearch=Find\r\n");
  SetMessageBoxSink([this](HWND, const std::wstring& text, const std::wstring& caption, UINT flags) {
    boxes.push_back({text, caption, flags});
    return answer;
  });
  form = std::make_unique<TPlaylist>(nullptr, &host, &settings);
  host.Form = form.get();
}

void PlaylistFormTest::TearDown() {
  form.reset();
  SetMessageBoxSink(nullptr);
  LanguageFile = FSavedLanguage;
  ReplaceList = false;
}

std::vector<TElem> PlaylistFormTest::Entries() const {
  std::vector<TElem> entries(static_cast<size_t>(form->List()->Count()));
  for (size_t i = 0; i < entries.size(); ++i) form->List()->GetElem(static_cast<int32_t>(i), entries[i]);
  return entries;
}

std::vector<std::wstring> PlaylistFormTest::FileNames() const {
  std::vector<std::wstring> names;
  for (const TElem& e : Entries()) names.push_back(e.FileName);
  return names;
}

std::string U8(const std::wstring& S) { return WideStringToUTF8(S); }

std::string Wav(double Seconds) {
  return testing_support::WavBytes({.channels = 1, .rate = 8000, .bits = 8}, static_cast<uint32_t>(Seconds * 8000),
                                   [](uint32_t) { return 128; });
}

std::string Mp3Frames(int Count) {
  std::string frame = "\xFF\xFB\x90\x64";
  for (size_t i = frame.size(); i < 417; ++i) frame += static_cast<char>(0x55 + i % 7);
  std::string s;
  for (int i = 0; i < Count; ++i) s += frame;
  return s;
}

std::string Id3v2(const std::string& Artist, const std::string& Title) {
  using namespace tag_bytes;
  std::string body;
  if (!Artist.empty()) body += Frame23("TPE1", Latin(Artist));
  body += Frame23("TIT2", Latin(Title));
  return Tag(3, 0, body, 64);
}

std::string Id3v1(const std::string& Artist, const std::string& Title) {
  auto field = [](const std::string& s, size_t n) { return (s + std::string(n, '\0')).substr(0, n); };
  return "TAG" + field(Title, 30) + field(Artist, 30) + field("", 30) + field("2001", 4) + field("", 30) +
         '\x0C';
}

}  // namespace playlist_window_test
