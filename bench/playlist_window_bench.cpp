// Playlist window figures. The list control: one paint of a 100,000-entry list
// scrolled to the middle, to the window and to a memory bitmap, at the playlist
// window's own size and at a full-screen height; and the process's working set
// with the 100,000 entries loaded into the shown list.
// Usage: playlist_window_bench [entries]
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "framework/forms.h"
#include "windows/playlist/play_list_box.h"

namespace {

double MiB(SIZE_T bytes) { return static_cast<double>(bytes) / (1024.0 * 1024.0); }

struct Memory {
  double WorkingSet;
  double Committed;
};

Memory CurrentMemory() {
  PROCESS_MEMORY_COUNTERS pmc = {};
  GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof pmc);
  return {MiB(pmc.WorkingSetSize), MiB(pmc.PagefileUsage)};
}

// Entries as a tag reader makes them: "Artist - Title" and a full path.
void FillList(TCompList& list, int count) {
  TElem e;
  for (int i = 0; i < count; ++i) {
    const std::wstring artist = L"Artist " + std::to_wstring(i / 12);
    const std::wstring title = L"Song number " + std::to_wstring(i) + L" of the long benchmark list";
    e.Title = artist + L" - " + title;
    e.FileName = L"D:\\Music\\" + artist + L"\\Album " + std::to_wstring(i / 12 % 7) + L"\\" +
                 std::to_wstring(i % 12 + 1) + L" " + title + L".mp3";
    e.Duration = 120 + i % 300;
    list.Add(e);
  }
  list.Changed();
}

void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

// Median and worst time of Runs paints, in milliseconds.
struct Times {
  double Median;
  double Worst;
};

template <typename Paint>
Times TimePaints(int Runs, Paint paint) {
  std::vector<double> times;
  for (int i = 0; i < Runs; ++i) {
    const auto start = std::chrono::steady_clock::now();
    paint(i);
    times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
  }
  std::sort(times.begin(), times.end());
  return {times[times.size() / 2], times.back()};
}

void ListBoxFigures(int entries) {
  const Memory empty = CurrentMemory();
  TForm form(nullptr);
  form.SetBounds(0, 0, 660, 1000);
  auto* box = new TPlayListBox(&form);
  box->SetParent(&form);
  for (TFont* f : {box->ItemFont(), box->SelectedItemFont()}) {
    f->SetName("Tahoma");
    f->SetHeight(-11);
    f->SetStyle({});
  }
  box->SetShowDuration(true);
  box->SetNumbersBGColor(clGray);
  box->SetSelectedItemBGColor(clGray);
  box->SetItemBGColor(clGreen);
  form.Show();
  Pump();
  const Memory before = CurrentMemory();

  const auto loadStart = std::chrono::steady_clock::now();
  FillList(*box->List(), entries);
  const double loadMs =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - loadStart).count();
  for (int i = entries / 2; i < entries / 2 + 40 && i < entries; i += 3) box->List()->SetSelected(i, true);
  box->SetItemIndex(entries / 2 + 5);
  Pump();
  const Memory loaded = CurrentMemory();

  std::printf("TPlayListBox, %d entries, scrolled to the middle\n", entries);
  std::printf("  filling the list          %8.1f ms\n", loadMs);
  struct Size {
    const char* name;
    int width, height;
  } sizes[] = {{"playlist window 305 x 200", 305, 200}, {"full height 640 x 960  ", 640, 960}};
  for (const Size& s : sizes) {
    box->SetBounds(0, 0, s.width, s.height);
    box->SetTopIndex(entries / 2);
    Pump();
    HDC window = GetDC(box->Handle());
    const Times toWindow = TimePaints(200, [&](int i) {
      // Alternate the top row so that every paint draws other texts.
      box->SetTopIndex(entries / 2 + (i & 1));
      box->PaintTo(window);
    });
    GdiFlush();
    ReleaseDC(box->Handle(), window);
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, s.width, s.height);
    HGDIOBJ old = SelectObject(mem, bitmap);
    const Times toMemory = TimePaints(200, [&](int) { box->PaintTo(mem); });
    SelectObject(mem, old);
    DeleteObject(bitmap);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    std::printf("  paint, %s (%2d rows): window %6.2f ms (worst %6.2f), memory %6.2f ms (worst %6.2f)\n",
                s.name, box->VisibleRows(), toWindow.Median, toWindow.Worst, toMemory.Median,
                toMemory.Worst);
  }
  const Times wheel = TimePaints(200, [&](int i) {
    SendMessageW(box->Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(i & 1 ? 120 : -120)), 0);
  });
  std::printf("  one wheel notch (scroll + paint, full height): %6.2f ms (worst %6.2f)\n", wheel.Median,
              wheel.Worst);
  const Times find = TimePaints(21, [&](int i) { box->FindTitle(i & 1 ? L"no such title" : L"SONG NUMBER 99990 "); });
  std::printf("  find by title (whole list, no match / near the end): %6.2f ms (worst %6.2f)\n", find.Median,
              find.Worst);
  std::printf("  working set: %.1f MiB at start, %.1f MiB with the window shown, %.1f MiB loaded\n"
              "    (+%.1f MiB, %.0f bytes an entry); committed %.1f -> %.1f MiB\n",
              empty.WorkingSet, before.WorkingSet, loaded.WorkingSet, loaded.WorkingSet - before.WorkingSet,
              (loaded.WorkingSet - before.WorkingSet) * 1048576.0 / entries, before.Committed,
              loaded.Committed);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const int entries = argc > 1 ? std::max(1, _wtoi(argv[1])) : 100000;
  ListBoxFigures(entries);
  return 0;
}
