// Records other programs send by WM_COPYDATA: bad ones are ignored, and the
// program keeps answering and accepting good ones.
#include "e2e_fixture.h"

namespace e2e {
namespace {

struct Record {
  const char* what;
  ULONG_PTR kind;
  std::string bytes;
  bool nullData = false;
  std::optional<DWORD> size = {};  // cbData, when not the bytes' size
};

std::string Bytes(const std::wstring& text, bool withZero) {
  return std::string(reinterpret_cast<const char*>(text.c_str()), (text.size() + (withZero ? 1 : 0)) * 2);
}

// A few hundred records of every bad kind, with varied contents.
std::vector<Record> BadRecords() {
  const std::wstring wellFormed = CopyDataRecord({L"C:\\nowhere\\" + std::wstring(8, L'x') + L".wav"});
  std::vector<Record> records;
  uint32_t seed = 7;
  auto next = [&] { return (seed = seed * 1103515245u + 12345u) >> 8; };
  for (int i = 0; i < 300; ++i) {
    std::wstring item = L"C:\\nowhere\\" + std::to_wstring(next()) + L".wav";
    switch (i % 8) {
      case 0: records.push_back({"no zero", 1, Bytes(item + L"|", false)}); break;
      case 1: records.push_back({"no final bar", 1, Bytes(item, true)}); break;
      case 2: {
        Record r{"odd size", 1, Bytes(item + L"|", true)};
        r.size = static_cast<DWORD>(r.bytes.size() - 1 - next() % 2 * 2);
        records.push_back(r);
        break;
      }
      case 3: {
        Record r{"size 0", 1, Bytes(wellFormed, true)};
        r.size = 0;
        records.push_back(r);
        break;
      }
      case 4: {
        Record r{"null data", 1, ""};
        r.nullData = true;
        r.size = 2 + next() % 64;
        records.push_back(r);
        break;
      }
      case 5: {
        const ULONG_PTR kinds[] = {0, 2, 0xFFFFFFFFu, ~ULONG_PTR{0}, 0x100000001ull};
        records.push_back({"other kind", kinds[next() % 5], Bytes(wellFormed, true)});
        break;
      }
      case 6: {
        std::string noise(1 + next() % 512, '\0');
        for (char& c : noise) c = static_cast<char>(next());
        records.push_back({"random bytes", 1, noise});
        break;
      }
      default:
        records.push_back({"long, no zero", 1, Bytes(std::wstring(4096 + next() % 60000, L'|'), false)});
        break;
    }
  }
  return records;
}

TEST_F(E2ETest, FloodOfBadCopyDataRecordsLeavesTheProgramAnsweringAndAGoodOneStillPlays) {
  Program* tavrin = Start({}, CaptureTo(L"out.wav"));
  ASSERT_NE(tavrin, nullptr);
  HWND main = tavrin->MainWindow();

  for (const Record& r : BadRecords()) {
    DWORD size = r.size.value_or(static_cast<DWORD>(r.bytes.size()));
    ASSERT_TRUE(SendCopyData(main, r.kind, r.nullData ? nullptr : r.bytes.data(), size))
        << "no answer to a record: " << r.what;
  }
  EXPECT_TRUE(tavrin->Running());
  EXPECT_TRUE(Answers(main));
  // The names they carry do not exist: reported in a few boxes, never a
  // stack of one box per record. The records are taken in their order, so
  // once a good one sent after them plays, every name is in a box shown or
  // still to come; the boxes are over once the program answers while none
  // exists, shown or not (a box is made before its loop answers).
  std::vector<HWND> boxes;
  auto closeBoxes = [&] {
    for (HWND d : tavrin->Dialogs()) {
      if (std::find(boxes.begin(), boxes.end(), d) != boxes.end()) continue;
      boxes.push_back(d);
      runner.ExpectDialog(d);
      EXPECT_NE(MessageBoxText(d).find(L"C:\\nowhere\\"), std::wstring::npos);
      PressDialogButton(d, IDOK);
    }
  };
  auto noBox = [&] { return AllWindows(*tavrin, L"#32770").empty(); };
  const std::wstring song = Wav(L"song.wav");
  const std::wstring good = CopyDataRecord({song});
  EXPECT_TRUE(SendCopyData(main, 1, good.c_str(), static_cast<DWORD>((good.size() + 1) * 2)));
  EXPECT_TRUE(runner.WaitUntil(
      [&] {
        closeBoxes();
        return NonZeroSamples(testing_support::ReadFileBytes(data.File(L"out.wav"))) > 0;
      },
      10000, true))
      << "the good record did not play";
  EXPECT_TRUE(runner.WaitUntil([&] { return closeBoxes(), noBox() && Answers(main) && noBox(); },
                               10000, true))
      << "the boxes did not end";
  EXPECT_LT(boxes.size(), 10u);
  EXPECT_GE(boxes.size(), 1u);
  EXPECT_TRUE(runner.CheckDialogs());
  ExitByClick(*tavrin);
  EXPECT_EQ(FilesOf(folder.ReadPlaylist()), std::vector<std::wstring>{Lower(song)});
}

}  // namespace
}  // namespace e2e
