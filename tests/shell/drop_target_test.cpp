#include "shell/drop_target.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include <cstring>
#include <string>
#include <vector>

#include "foundation/tnt_string_list.h"
#include "framework/controls.h"
#include "shell/drop_source.h"
#include "test_support.h"

namespace {

using namespace std::string_literals;

// OLE for the whole executable, as the program has it: started before any
// window, ended after the last test.
class OleEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { ASSERT_TRUE(SUCCEEDED(InitializeDropSource())); }
  void TearDown() override { FinalizeDropSource(); }
};
const auto* const kOle = ::testing::AddGlobalTestEnvironment(new OleEnvironment);

std::vector<std::wstring> Lines(TTntStringList* List) {
  std::vector<std::wstring> lines;
  for (int32_t i = 0; i < List->Count(); ++i) lines.push_back(List->Strings(i));
  return lines;
}

// A DROPFILES block as a shell builds it: the header, then the names each
// with its NUL, then the empty name that ends the list.
std::string DropBlock(const std::vector<std::wstring>& Names, bool Wide) {
  DROPFILES header{};
  header.pFiles = sizeof(DROPFILES);
  header.fWide = Wide;
  std::string block(reinterpret_cast<const char*>(&header), sizeof(header));
  for (const std::wstring& name : Names) {
    if (Wide) {
      block.append(reinterpret_cast<const char*>(name.c_str()), (name.size() + 1) * 2);
    } else {
      block += std::string(name.begin(), name.end()) + '\0';
    }
  }
  block.append(Wide ? 2 : 1, '\0');
  return block;
}

// A data object that offers one CF_HDROP block in global memory.
class TFakeDataObject : public IDataObject {
 public:
  explicit TFakeDataObject(std::string Block) : FBlock(std::move(Block)) {}
  LONG Refs = 1;
  int GetDataCalls = 0;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID IID, void** Object) override {
    if (IsEqualIID(IID, IID_IUnknown) || IsEqualIID(IID, IID_IDataObject)) {
      *Object = static_cast<IDataObject*>(this);
      AddRef();
      return S_OK;
    }
    *Object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++Refs; }
  ULONG STDMETHODCALLTYPE Release() override { return --Refs; }
  HRESULT STDMETHODCALLTYPE GetData(FORMATETC* Format, STGMEDIUM* Medium) override {
    ++GetDataCalls;
    if (QueryGetData(Format) != S_OK) return DV_E_FORMATETC;
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, FBlock.size());
    std::memcpy(GlobalLock(memory), FBlock.data(), FBlock.size());
    GlobalUnlock(memory);
    Medium->tymed = TYMED_HGLOBAL;
    Medium->hGlobal = memory;
    Medium->pUnkForRelease = nullptr;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* Format) override {
    return Format && Format->cfFormat == CF_HDROP && (Format->tymed & TYMED_HGLOBAL)
               ? S_OK
               : DV_E_FORMATETC;
  }
  HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* Out) override {
    if (Out) Out->ptd = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
    return OLE_E_ADVISENOTSUPPORTED;
  }
  HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
  HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override {
    return OLE_E_ADVISENOTSUPPORTED;
  }

 private:
  std::string FBlock;
};

// The base target with data of its own: valid unless told otherwise.
class TTestTarget : public TDropTarget {
 public:
  using TDropTarget::TDropTarget;
  bool Valid = true;

 protected:
  bool GetData() override { return Valid; }
  void ClearData() override {}
  bool HasValidFormat() override { return Valid; }
};

TEST(DropFiles, BlocksAreReadWithinTheirSize) {
  const std::wstring russian = L"C:\\\u041C\u0443\u0437\u044B\u043A\u0430\\\u043F\u0435\u0441\u043D\u044F.mp3";
  const std::wstring japanese = L"D:\\\u97F3\u697D\\\u66F2.ogg";
  const std::string wide = DropBlock({russian, japanese}, true);
  const std::string ansi = DropBlock({L"C:\\Music\\a.mp3", L"C:\\b.wav"}, false);
  std::string pastEnd = wide;
  reinterpret_cast<DROPFILES*>(pastEnd.data())->pFiles = static_cast<DWORD>(pastEnd.size() + 8);
  std::string overlong = DropBlock({std::wstring(40000, L'x'), L"C:\\ok.mp3"}, true);
  std::string odd = DropBlock({L"C:\\odd.mp3"}, true);
  odd.insert(sizeof(DROPFILES), 1, 'z');
  reinterpret_cast<DROPFILES*>(odd.data())->pFiles = sizeof(DROPFILES) + 1;

  struct Case {
    const char* Name;
    std::string Block;
    size_t Size;  // the size the block states
    std::vector<std::wstring> Files;
  };
  const std::vector<Case> cases = {
      {"wide names outside the code page", wide, wide.size(), {russian, japanese}},
      {"ANSI names", ansi, ansi.size(), {L"C:\\Music\\a.mp3", L"C:\\b.wav"}},
      {"no list terminator", wide, wide.size() - 2, {russian, japanese}},
      {"cut inside the second name", wide, wide.size() - 8, {russian}},
      {"cut inside an ANSI name", ansi, ansi.size() - 4, {L"C:\\Music\\a.mp3"}},
      {"offset past the end", pastEnd, pastEnd.size(), {}},
      {"smaller than its header", wide, sizeof(DROPFILES) - 1, {}},
      {"name beyond the path limit", overlong, overlong.size(), {L"C:\\ok.mp3"}},
      {"names at an odd offset", odd, odd.size(), {L"C:\\odd.mp3"}},
  };
  for (const Case& c : cases) {
    TTntStringList files;
    ReadDropFiles(c.Block.data(), c.Size, &files);
    EXPECT_EQ(Lines(&files), c.Files) << c.Name;
  }
}

TEST(DropTarget, EffectFollowsKeysAndDragTypes) {
  const TDragTypes all{dtCopy, dtMove, dtLink};
  struct Case {
    TDragTypes Types;
    DWORD Keys;
    DWORD Base;  // the base target's answer
    DWORD File;  // the file target's: never a move
  };
  const DWORD shift = MK_SHIFT, ctrl = MK_CONTROL;
  const std::vector<Case> cases = {
      {all, 0, DROPEFFECT_COPY, DROPEFFECT_COPY},
      {all, shift, DROPEFFECT_MOVE, DROPEFFECT_COPY},
      {all, ctrl, DROPEFFECT_COPY, DROPEFFECT_COPY},
      {all, shift | ctrl, DROPEFFECT_LINK, DROPEFFECT_LINK},
      {{dtCopy, dtMove}, shift, DROPEFFECT_MOVE, DROPEFFECT_COPY},
      {{dtCopy, dtMove}, ctrl, DROPEFFECT_COPY, DROPEFFECT_COPY},
      {{dtCopy, dtMove}, shift | ctrl, DROPEFFECT_COPY, DROPEFFECT_COPY},
      {{dtMove}, 0, DROPEFFECT_MOVE, DROPEFFECT_NONE},
      {{dtMove, dtLink}, shift, DROPEFFECT_MOVE, DROPEFFECT_LINK},
      {{dtLink}, 0, DROPEFFECT_LINK, DROPEFFECT_LINK},
      {{}, shift, DROPEFFECT_NONE, DROPEFFECT_NONE},
  };
  TTestTarget base(nullptr);
  TDropFileTarget files(nullptr);
  for (size_t i = 0; i < cases.size(); ++i) {
    base.SetDragTypes(cases[i].Types);
    files.SetDragTypes(cases[i].Types);
    EXPECT_EQ(base.GetValidDropEffect(cases[i].Keys), cases[i].Base) << "case " << i;
    EXPECT_EQ(files.GetValidDropEffect(cases[i].Keys), cases[i].File) << "case " << i;
  }
  // A handler asking for a move still gets none from the file target.
  files.SetDragTypes(all);
  files.SetOnGetDropEffect([](TObject*, DWORD, DWORD& Effect) { Effect = DROPEFFECT_MOVE; });
  EXPECT_EQ(files.GetValidDropEffect(0), static_cast<DWORD>(DROPEFFECT_COPY));
}

TEST(DropTarget, InterfaceMethodsCarryTheDropAndAShiftDropIsACopy) {
  TDropFileTarget target(nullptr);
  std::vector<std::wstring> dropped;
  std::vector<TDragType> types;
  target.SetOnDrop([&](TObject*, TDragType Type, POINT) {
    dropped = Lines(target.Files());
    types.push_back(Type);
  });
  const std::wstring name = L"C:\\\u041C\\\u97F3.mp3";
  TFakeDataObject data(DropBlock({name}, true));
  IDropTarget* ole = &target;
  DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
  EXPECT_EQ(ole->DragEnter(&data, MK_LBUTTON | MK_SHIFT, POINTL{5, 5}, &effect), S_OK);
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_COPY));
  EXPECT_EQ(data.Refs, 2);  // held while the drag lasts
  effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
  EXPECT_EQ(ole->Drop(&data, MK_SHIFT, POINTL{6, 6}, &effect), S_OK);
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_COPY));
  EXPECT_EQ(dropped, std::vector<std::wstring>{name});
  EXPECT_EQ(types, std::vector<TDragType>{dtCopy});
  EXPECT_EQ(data.Refs, 1);
  EXPECT_EQ(target.Files()->Count(), 0);

  // Unreadable data: no OnDrop, no effect, nothing kept.
  TFakeDataObject empty(DropBlock({}, true));
  effect = DROPEFFECT_COPY;
  EXPECT_EQ(ole->Drop(&empty, 0, POINTL{}, &effect), S_OK);
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
  EXPECT_EQ(types.size(), 1u);

  // Data read on entering: a failure refuses the whole drag.
  TTestTarget base(nullptr);
  base.SetGetDataOnEnter(true);
  base.Valid = true;
  bool entered = false;
  base.SetOnEnter([&](TObject*, DWORD, POINT, DWORD&) { entered = true; });
  IDropTarget* baseOle = &base;
  effect = DROPEFFECT_COPY;
  EXPECT_EQ(baseOle->DragEnter(&data, 0, POINTL{}, &effect), S_OK);
  EXPECT_TRUE(entered);
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_COPY));
  EXPECT_EQ(baseOle->DragLeave(), S_OK);
  base.Valid = false;
  EXPECT_EQ(baseOle->DragEnter(&data, 0, POINTL{}, &effect), E_FAIL);
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
  EXPECT_EQ(baseOle->DragOver(0, POINTL{}, &effect), S_OK);
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
  EXPECT_EQ(data.Refs, 1);
}

// A drag source that lets the cursor rest over the target for a few rounds of
// the drag loop and then drops; it gives up after a bounded number of rounds.
class TFakeDropSource : public IDropSource {
 public:
  int Rounds = 0;
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID IID, void** Object) override {
    if (IsEqualIID(IID, IID_IUnknown) || IsEqualIID(IID, IID_IDropSource)) {
      *Object = static_cast<IDropSource*>(this);
      return S_OK;
    }
    *Object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL, DWORD) override {
    ++Rounds;
    if (Rounds > 100) return DRAGDROP_S_CANCEL;
    return Rounds >= 4 ? DRAGDROP_S_DROP : S_OK;
  }
  HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }
};

// A windowed control in a shown top-level window of its own, shown without
// activation (no window manager runs on the test display).
struct THost {
  HWND TopLevel = CreateWindowExW(WS_EX_NOACTIVATE, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 50, 50,
                                  300, 200, nullptr, nullptr, nullptr, nullptr);
  TWinControl* List = nullptr;
  THost() {
    List = new TWinControl(nullptr);
    List->SetName(L"FileList");
    List->SetParentWindow(TopLevel);
    List->SetBounds(0, 0, 300, 200);
    List->HandleNeeded();
    ShowWindow(List->Handle(), SW_SHOWNOACTIVATE);
  }
  ~THost() {
    delete List;
    DestroyWindow(TopLevel);
  }
};

TEST(DropTarget, RegisteredOnAControlTakesARealDrop) {
  THost host;
  TDropFileTarget target(nullptr);
  target.Register(host.List);
  EXPECT_TRUE(target.Registered());

  // A second registration on the same window is refused and reported; the
  // first one and the control carry on.
  TDropFileTarget second(nullptr);
  EXPECT_EQ(testing_support::MessageOf<Exception>([&] { second.Register(host.List); }),
            L"Failed to Register FileList");
  EXPECT_FALSE(second.Registered());
  EXPECT_EQ(second.Control(), nullptr);
  EXPECT_FALSE(second.TryRegister(host.List));
  EXPECT_TRUE(IsWindow(host.List->Handle()));

  std::vector<std::wstring> dropped;
  std::vector<TDragType> types;
  target.SetOnDrop([&](TObject*, TDragType Type, POINT) {
    dropped = Lines(target.Files());
    types.push_back(Type);
  });
  const std::wstring name = L"C:\\\u041C\u0443\u0437\u044B\u043A\u0430\\a.mp3";
  TFakeDataObject data(DropBlock({name, L"C:\\b.mp3"}, true));
  TFakeDropSource source;
  RECT r{};
  GetWindowRect(host.List->Handle(), &r);
  SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  DWORD effect = DROPEFFECT_NONE;
  HRESULT hr;
  {
    // The shell's move: Shift held. The source must hear a copy, or it would
    // delete the files the playlist just took.
    testing_support::ScopedKeys keys({VK_SHIFT});
    hr = DoDragDrop(&data, &source, DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK, &effect);
  }
  EXPECT_EQ(hr, DRAGDROP_S_DROP);
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_COPY));
  EXPECT_EQ(dropped, (std::vector<std::wstring>{name, L"C:\\b.mp3"}));
  EXPECT_EQ(types, std::vector<TDragType>{dtCopy});

  target.Unregister();
  EXPECT_FALSE(target.Registered());
  // Free now, the window takes a new target.
  EXPECT_TRUE(second.TryRegister(host.List));
}

TEST(DropTarget, ADyingControlEndsTheRegistration) {
  auto* host = new THost;
  TDropFileTarget target(nullptr);
  target.Register(host->List);
  delete host;
  EXPECT_FALSE(target.Registered());
  EXPECT_EQ(target.Control(), nullptr);
  EXPECT_NO_THROW(target.Unregister());
}

TEST(DropSource, RegistersTheShellFormats) {
  const TShellClipboardFormats& formats = ShellClipboardFormats();
  EXPECT_EQ(formats.FileContents, RegisterClipboardFormatW(L"FileContents"));
  EXPECT_EQ(formats.FileGroupDescriptor, RegisterClipboardFormatW(L"FileGroupDescriptor"));
  EXPECT_EQ(formats.ShellIDList, RegisterClipboardFormatW(L"Shell IDList Array"));
  EXPECT_EQ(formats.PreferredDropEffect, RegisterClipboardFormatW(L"Preferred DropEffect"));
  EXPECT_EQ(formats.URL, RegisterClipboardFormatW(L"UniformResourceLocator"));
}

}  // namespace
