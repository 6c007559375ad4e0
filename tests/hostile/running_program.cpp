// The families sent to a running tavrin.exe: hand-over records (WM_COPYDATA)
// and messages of and around the remote control. One program serves every
// mutant of a run; one that dies or stops answering fails its mutant and is
// started afresh for the next.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "app/instance_handover.h"
#include "app/remote_control.h"
#include "families.h"
#include "foundation/tnt_sysutils.h"
#include "globals/version.h"
#include "playlist/comp_list.h"
#include "program_runner.h"
#include "settings/settings_xml.h"

namespace hostile {
namespace {

constexpr UINT kAnswerMs = 5000;
constexpr DWORD kExitMs = 10000;
// The most a record carries: far beyond any command line, a burden the
// program must take without trouble. (Wine 8 does not deliver a record of
// 2 MB between processes at all.)
constexpr size_t kMaxRecordBytes = 1u << 20;

// A message of a remote batch, as the fixture stores it.
struct Message {
  uint32_t Id;
  uint32_t Flags;  // bit 0: posted, else sent
  uint64_t WParam;
  uint64_t LParam;
};
static_assert(sizeof(Message) == 24);
// A mutant may repeat its messages thousands of times; a batch sends the first ones.
constexpr size_t kMaxBatch = 256;
// Remote commands that end the program or open a modal dialog the exit would
// wait for: not sent.
constexpr WPARAM kNotSent[] = {250, 251, 252, 253, 255, 259, 260, 402};

bool StartsWith(const std::wstring& text, const std::wstring& start) {
  return text.size() >= start.size() &&
         CompareStringOrdinal(text.c_str(), static_cast<int>(start.size()), start.c_str(),
                              static_cast<int>(start.size()), TRUE) == CSTR_EQUAL;
}

class Running final : public RunningProgram {
 public:
  Running(const std::wstring& work, const std::wstring& songs) : FWork(work), FSongs(songs) {
    // A program the runner leaves behind, killed with it, ends with it.
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    SetInformationJobObject(FJob, JobObjectExtendedLimitInformation, &limits, sizeof limits);
    // Relative names in a record are looked up, as the program does, in an
    // empty folder.
    CreateDirectoryW((work + L"cwd").c_str(), nullptr);
    SetCurrentDirectoryW((work + L"cwd").c_str());
  }
  ~Running() override { CloseHandle(FJob); }

  // A copy of the program folder, its settings the default but for several
  // instances (no hand-over to another family's program) and no
  // visualisation (the machine's time goes to the other families), its
  // playlist the songs; then the program started and answering.
  std::string Launch() {
    if (!FFolder) {
      FFolder = std::make_unique<e2e::ProgramFolder>();
      SetSettingsFolder(FFolder->Path());
      OpenSettingsXml();
      TXMLNode root = SettingsDoc->DocumentElement();
      root.ForceChild(L"Appearance").WriteBool(L"MultiInstance", true);
      root.ForceChild(L"Visualization").WriteInteger(L"Style", 2);
      SaveSettingsXml();
      SetSettingsFolder(L"");
      std::vector<e2e::PlaylistEntry> songs;
      for (const std::wstring& name : testing_support::FilesIn(FSongs))
        songs.push_back({FSongs + name, name, 1});
      FFolder->WritePlaylist(songs);
    }
    FProblems.clear();
    FProgram = FRunner.Start(FFolder->Exe(), {}, {{L"TAVRIN_BASS_OUTPUT", L"capture:" + FWork + L"out.wav"}});
    if (FProgram) AssignProcessToJobObject(FJob, FProgram->Handle());
    FMain = FProgram ? FRunner.WaitForMainWindow(*FProgram) : nullptr;
    if (!FMain || !e2e::Answers(FMain, kAnswerMs)) return "the program does not start: " + FProblems;
    return {};
  }

  // How a sender may make the record, turned by the mutant: cbData as the
  // bytes are, none, one byte, one short of them (odd), or the bytes and
  // many more without a zero; dwData a hand-over's or another; the data at an
  // odd address or not.
  std::string HandOver(const std::string& record) override {
    if (!FMain) return Launch();
    const uint32_t turn = CurrentIndex;
    std::string bytes = record;
    size_t size = bytes.size();
    switch (turn % 5) {
      case 1:
        size = 0;
        break;
      case 2:
        size = std::min<size_t>(size, 1);
        break;
      case 3:
        if (size % 2 == 0 && size > 0) --size;
        break;
      case 4:
        bytes.resize(std::min(kMaxRecordBytes, bytes.size() + (size_t{4096} << (turn % 9))), 'A');
        size = bytes.size();
        break;
    }
    const ULONG_PTR kinds[] = {1, 1, 1, 0, 2, 0x101, ~ULONG_PTR{0}, 0x100000001ull};
    const size_t offset = turn / 5 % 2;
    std::string buffer(offset, '\0');
    buffer += bytes;
    COPYDATASTRUCT data{kinds[turn / 10 % std::size(kinds)], static_cast<DWORD>(size),
                        buffer.data() + offset};
    // A record that names anything beyond the songs is not sent: the
    // program would go there (a disk, the network) as a user asked.
    for (const std::wstring& item : SplitCopyDataFileList(&data))
      if (Escapes(item)) {
        NotTried = true;
        return {};
      }
    DWORD_PTR answer = 0;
    const bool answered = SendMessageTimeoutW(FMain, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data),
                                              SMTO_NORMAL, kAnswerMs, &answer) != 0;
    return Alive(answered ? "" : "the record is not answered");
  }

  // The batch's messages in order; an id outside the application's range is
  // folded into it, where the remote control and the program's own messages
  // lie.
  std::string Remote(const std::string& batch) override {
    if (!FMain) return Launch();
    std::string failure;
    for (size_t at = 0;
         at + sizeof(Message) <= batch.size() && at < kMaxBatch * sizeof(Message) && failure.empty();
         at += sizeof(Message)) {
      Message m;
      std::memcpy(&m, batch.data() + at, sizeof m);
      const UINT id = m.Id >= WM_APP && m.Id < WM_APP + 0x1000 ? m.Id : WM_APP + m.Id % 0x1000;
      if (id == WM_REMOTECOMMAND &&
          std::find(std::begin(kNotSent), std::end(kNotSent), m.WParam) != std::end(kNotSent))
        continue;
      if (m.Flags & 1) {
        PostMessageW(FMain, id, m.WParam, static_cast<LPARAM>(m.LParam));
      } else if (!SendMessageTimeoutW(FMain, id, m.WParam, static_cast<LPARAM>(m.LParam), SMTO_NORMAL,
                                      kAnswerMs, nullptr)) {
        char text[96];
        std::snprintf(text, sizeof text, "message 0x%X (%llu, %lld) is not answered", id,
                      static_cast<unsigned long long>(m.WParam), static_cast<long long>(m.LParam));
        failure = text;
      }
    }
    return Alive(failure);
  }

  // The exit the remote control asks for, its message boxes answered; then the
  // playlist must read back holding only songs, and the settings must open.
  std::string Finish() override {
    if (!FMain) return "the program is not running";
    PostMessageW(FMain, WM_REMOTECOMMAND, 402, 0);
    const DWORD start = GetTickCount();
    while (FProgram->Running() && GetTickCount() - start < kExitMs) {
      AnswerBoxes();
      Sleep(50);
    }
    if (FProgram->Running()) return "the program does not exit";
    if (FProgram->ExitCode() != 0) return "the program exits with code " + Hex(FProgram->ExitCode());
    TCompList list;
    const std::wstring playlist = FFolder->File(L"tavrin.m3u");
    try {
      if (!list.LoadFromFile(playlist) && ReadBytes(playlist).size() > 0)
        return "the playlist saved does not read back";
    } catch (const std::exception& e) {
      return std::string("the playlist saved does not read back: ") + e.what();
    }
    for (int32_t i = 0; i < list.Count(); ++i) {
      TElem entry;
      list.GetElem(i, entry);
      if (!StartsWith(entry.FileName, FSongs)) return "the playlist holds " + Narrow(entry.FileName);
    }
    SetSettingsFolder(FFolder->Path());
    OpenSettingsXml();
    const bool whole = SettingsDoc->DocumentElement().Attribute(L"Name") == TavrinVersion &&
                       !FFolder->Exists(L"Tavrin.xml.bak");
    DiscardSettingsXml();
    SetSettingsFolder(L"");
    return whole ? "" : "the settings saved do not open";
  }

 private:
  static std::string Hex(DWORD code) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", code);
    return text;
  }

  // Whether the program would reach beyond the songs for Name: an address
  // (the network), a climb or a drive's current folder, a share, or a name
  // that exists elsewhere.
  bool Escapes(const std::wstring& name) const {
    if (name.find(L"://") != std::wstring::npos || name.find(L"..") != std::wstring::npos || name == L"." ||
        StartsWith(name, L"\\\\") || StartsWith(name, L"//"))
      return true;
    if (name.size() >= 2 && name[1] == L':' && (name.size() == 2 || (name[2] != L'\\' && name[2] != L'/')))
      return true;
    return !StartsWith(name, FSongs) && GetFileAttributesW(name.c_str()) != INVALID_FILE_ATTRIBUTES;
  }

  void AnswerBoxes() {
    for (HWND box : FProgram->Dialogs()) {
      FRunner.ExpectDialog(box);
      e2e::PressDialogButton(box, IDOK);
    }
  }

  // After a mutant: the program lives, its boxes are answered and it
  // answers; else it is ended and started afresh.
  std::string Alive(std::string failure) {
    if (!FProgram->Running()) failure = "the program died with code " + Hex(FProgram->ExitCode());
    AnswerBoxes();
    if (failure.empty() && !e2e::Answers(FMain, kAnswerMs)) failure = "the program does not answer";
    if (failure.empty()) return failure;
    if (FProgram->Running()) {
      TerminateProcess(FProgram->Handle(), 1);
      WaitForSingleObject(FProgram->Handle(), kExitMs);
    }
    FRunner.Finish();
    if (std::string again = Launch(); !again.empty()) failure += "; " + again;
    return failure;
  }

  std::wstring FWork, FSongs;
  HANDLE FJob = CreateJobObjectW(nullptr, nullptr);
  std::string FProblems;
  // The runner ends what is left before the folder goes.
  std::unique_ptr<e2e::ProgramFolder> FFolder;
  e2e::ProgramRunner FRunner{[this](const std::wstring& problem) { FProblems += Narrow(problem) + "; "; }};
  e2e::Program* FProgram = nullptr;
  HWND FMain = nullptr;
};

}  // namespace

std::unique_ptr<RunningProgram> RunningProgram::Start(const std::wstring& work, const std::wstring& songs,
                                                      std::string& failure) {
  auto program = std::make_unique<Running>(work, songs);
  failure = program->Launch();
  return program;
}

}  // namespace hostile
