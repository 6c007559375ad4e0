// The skinned title bar and base form: the draw styles pixel for pixel, the
// grip zones, the system's move and size loops driven by posted input with the
// drag setting around them, and the minimum tracking size.
#include <gtest/gtest.h>

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "framework/exceptions.h"
#include "framework/forms.h"
#include "memory_bitmap.h"
#include "skin/form_title.h"
#include "skin/skin_cells.h"
#include "skin/skin_resources.h"
#include "skin/tavrin_forms.h"
#include "skin_test_pictures.h"
#include "test_support.h"
#include "window_picture.h"

using testing_support::PumpMessagesUntil;
using testing_support::PumpPendingMessages;

namespace {

TColor Rgb(int r, int g, int b) { return r | (g << 8) | (b << 16); }

// Every pixel of a test picture has its own colour; blue 0x55 never occurs in
// the bar's colour.
TColor PictureColour(int x, int y) { return Rgb(x, 4 * y, 0x55); }
constexpr TColor kBarColour = 0x123456;

// ---------------------------------------------------------------- painting

// Where along the bar each style takes its pixels from, written as closed
// forms (not as the drawing loops): the column (or row) of the picture, or
// nothing where the bar's colour shows.
std::optional<int> SourceAlong(TDrawStyle style, int at, int length, int picture, int e, int m) {
  const int rightEnd = at - (length - e) + (picture - e);
  if (at >= length - e && rightEnd >= 0 && rightEnd < picture) return rightEnd;
  if (at < e && at < picture) return at;
  if (style != dsComplex) {
    const int tile = picture - 2 * e;
    if (tile > 0 && at >= e) return e + (at - e) % tile;
    return std::nullopt;
  }
  const int ornament = picture - 2 * (e + m);
  if (ornament < 0 || at < e) return std::nullopt;
  const int xc = e + m + (length - 2 * (e + m) - ornament) / 2;
  if (at >= xc + ornament) return picture - e - m + (at - xc - ornament) % m;
  if (at >= xc) return e + m + (at - xc);
  return e + (at - e) % m;
}

struct PaintCase {
  const char* name;
  TDrawStyle style;
  int pictureWidth, pictureHeight, edge, middle, barWidth, barHeight;
};

TEST(FormTitle, PaintsEachDrawStyleExactly) {
  const PaintCase cases[] = {
      {"stretch, middle tiled, lower picture", dsStretch, 50, 20, 10, 10, 200, 30},
      {"stretch, bar narrower than two ends", dsStretch, 50, 20, 10, 10, 15, 20},
      {"stretch, picture without a middle", dsStretch, 30, 20, 20, 10, 100, 20},
      {"stretch, picture shorter than an end", dsStretch, 12, 20, 20, 10, 100, 20},
      {"complex, ornament at 130", dsComplex, 200, 20, 20, 10, 400, 20},
      {"complex, odd width", dsComplex, 200, 20, 20, 10, 401, 20},
      {"complex, playlist proportions", dsComplex, 191, 20, 30, 20, 325, 20},
      {"complex, no room for fillers", dsComplex, 50, 20, 20, 10, 300, 20},
      {"vertical, narrower picture", dsVertical, 16, 50, 10, 10, 20, 200},
      {"vertical, picture without a middle", dsVertical, 16, 30, 20, 10, 16, 90},
      {"simple, scaled up", dsSimple, 10, 5, 20, 10, 30, 20},
  };
  for (const PaintCase& c : cases) {
    SCOPED_TRACE(c.name);
    TFormTitle title(nullptr);
    title.SetColor(kBarColour);
    title.SetBounds(0, 0, c.barWidth, c.barHeight);
    title.SetDrawStyle(c.style);
    title.SetEdgeSize(c.edge);
    title.SetMiddleSize(c.middle);
    title.SetActiveImage(
        skin_test::MakeBitmap(c.pictureWidth, c.pictureHeight, pf24bit, PictureColour).get());
    testing_support::MemoryBitmap canvas(c.barWidth, c.barHeight);
    title.Perform(WM_PAINT, reinterpret_cast<WPARAM>(canvas.DC()), 0);

    int wrong = 0;
    for (int y = 0; y < c.barHeight; ++y) {
      for (int x = 0; x < c.barWidth; ++x) {
        TColor expected = kBarColour;
        if (c.style == dsSimple) {
          expected = PictureColour(x * c.pictureWidth / c.barWidth, y * c.pictureHeight / c.barHeight);
        } else if (c.style == dsVertical) {
          const auto row = SourceAlong(c.style, y, c.barHeight, c.pictureHeight, c.edge, c.middle);
          if (row && x < c.pictureWidth) expected = PictureColour(x, *row);
        } else {
          const auto column = SourceAlong(c.style, x, c.barWidth, c.pictureWidth, c.edge, c.middle);
          if (column && y < c.pictureHeight) expected = PictureColour(*column, y);
        }
        if (canvas.Pixel(x, y) != static_cast<COLORREF>(expected) && wrong++ == 0)
          ADD_FAILURE() << "first wrong pixel (" << x << ", " << y << "): " << std::hex
                        << canvas.Pixel(x, y) << " instead of " << expected;
      }
    }
    EXPECT_EQ(wrong, 0);
  }
}

// ---------------------------------------------------------------- grip zones

TEST(FormTitle, SettersIgnoreWhatIsOutOfRange) {
  TForm form(nullptr);
  form.SetBounds(0, 0, 400, 100);
  auto* bar = new TFormTitle(&form);
  bar->SetParent(&form);
  form.Show();
  bar->SetBounds(0, 0, 300, 60);
  bar->SetGripSize(20);
  bar->SetGripSize(40);  // above 60 div 2
  EXPECT_EQ(bar->GripSize(), 20);
  bar->SetGripSize(25);
  bar->SetHeight(30);  // the grip follows the bar down
  EXPECT_EQ(bar->GripSize(), 15);
  bar->SetEdgeSize(0);
  bar->SetMiddleSize(-3);
  EXPECT_EQ(bar->EdgeSize(), 20);
  EXPECT_EQ(bar->MiddleSize(), 10);
  bar->SetCursor(crSizeNS);
  const LPARAM overClient = MAKELPARAM(HTCLIENT, WM_MOUSEMOVE);
  EXPECT_EQ(SendMessageW(bar->Handle(), WM_SETCURSOR, WPARAM(bar->Handle()), overClient), TRUE);
  EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_SIZENS));
  bar->SetSizeable(false);
  EXPECT_EQ(bar->Cursor(), crArrow);
}

// Stands in front of a form's own message handling and takes its
// WM_SYSCOMMAND, so a press shows which loop it would start without starting it.
struct SysCommandTrap {
  TCustomForm* form;
  std::vector<WPARAM> commands;
  void Handle(TMessage& Message) {
    if (Message.Msg == WM_SYSCOMMAND)
      commands.push_back(Message.WParam);
    else
      form->WndProc(Message);
  }
};

constexpr WPARAM kMove = SC_MOVE | HTCAPTION;

struct ZoneCase {
  TAlign align;
  const char* flags;  // S sizeable, C corners, V vertical, H horizontal grips
  int x, y;
  WPARAM command;     // 0: none
  TCursor cursor;     // after hovering there
};

// Bars 300 x 24 (10 x 200 on the sides) with grips of 12.
TEST(FormTitle, FindsTheGripZoneOfAPressAndOfTheHover) {
  const ZoneCase cases[] = {
      {alTop, "CVH", 295, 3, kMove, crDefault},
      {alTop, "SCVH", 295, 3, SC_SIZE + WMSZ_TOPRIGHT, crSizeNESW},
      {alTop, "SCVH", 300, 12, SC_SIZE + WMSZ_TOPRIGHT, crSizeNESW},
      {alTop, "SCVH", 5, 12, SC_SIZE + WMSZ_TOPLEFT, crSizeNWSE},
      {alTop, "SCVH", 150, 4, SC_SIZE + WMSZ_TOP, crSizeNS},
      {alTop, "SCVH", 150, 5, kMove, crArrow},
      {alTop, "SCVH", 150, 10, kMove, crArrow},
      {alTop, "SCVH", 297, 15, SC_SIZE + WMSZ_RIGHT, crSizeWE},
      {alTop, "SCVH", 2, 15, SC_SIZE + WMSZ_LEFT, crSizeWE},
      {alTop, "SVH", 295, 3, SC_SIZE + WMSZ_TOP, crSizeNS},
      {alTop, "SH", 298, 3, SC_SIZE + WMSZ_RIGHT, crSizeWE},
      {alTop, "S", 298, 3, kMove, crArrow},
      {alBottom, "SCVH", 295, 15, SC_SIZE + WMSZ_BOTTOMRIGHT, crSizeNWSE},
      {alBottom, "SCVH", 3, 14, SC_SIZE + WMSZ_BOTTOMLEFT, crSizeNESW},
      {alBottom, "SCVH", 150, 21, SC_SIZE + WMSZ_BOTTOM, crSizeNS},
      {alBottom, "SCVH", 298, 2, SC_SIZE + WMSZ_RIGHT, crSizeWE},
      {alBottom, "SCVH", 1, 2, SC_SIZE + WMSZ_LEFT, crSizeWE},
      {alBottom, "SCH", 150, 21, kMove, crArrow},
      {alLeft, "SCVH", 4, 100, SC_SIZE + WMSZ_LEFT, crSizeWE},
      {alLeft, "SCVH", 5, 0, kMove, crArrow},
      {alRight, "SCVH", 6, 100, SC_SIZE + WMSZ_RIGHT, crSizeWE},
      {alRight, "SCVH", 5, 199, kMove, crArrow},
      {alNone, "SCVH", 2, 2, 0, crArrow},
      {alNone, "CVH", 2, 2, kMove, crDefault},
  };
  SysCommandTrap trap{nullptr, {}};  // outlives the form that points to it
  TForm form(nullptr);
  trap.form = &form;
  form.SetBorderStyle(bsNone);
  form.SetBounds(100, 100, 300, 200);
  form.SetWindowProc(MakeWindowMethod<&SysCommandTrap::Handle>(&trap));
  auto* bar = new TFormTitle(&form);
  bar->SetParent(&form);
  form.Show();
  auto press = [&](int x, int y) {
    bar->SetCursor(crDefault);
    trap.commands.clear();
    PostMessageW(bar->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
    PostMessageW(bar->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    PumpPendingMessages();
  };
  for (const ZoneCase& c : cases) {
    SCOPED_TRACE(testing::Message() << c.flags << " align " << int(c.align) << " at " << c.x << ", " << c.y);
    const std::string flags = c.flags;
    bar->SetAlign(c.align);
    const bool side = c.align == alLeft || c.align == alRight;
    bar->SetBounds(0, 0, side ? 10 : 300, side ? 200 : 24);
    bar->SetGripSize(12);
    bar->SetSizeable(flags.find('S') != std::string::npos);
    bar->SetSizeCorners(flags.find('C') != std::string::npos);
    bar->SetSizeVertical(flags.find('V') != std::string::npos);
    bar->SetSizeHorizontal(flags.find('H') != std::string::npos);
    press(c.x, c.y);
    EXPECT_EQ(trap.commands, c.command ? std::vector<WPARAM>{c.command} : std::vector<WPARAM>{});
    EXPECT_EQ(bar->Cursor(), c.cursor);
  }

  // A maximised window neither moves nor sizes, and keeps its cursor.
  bar->SetAlign(alTop);
  bar->SetSizeable(true);
  ShowWindow(form.Handle(), SW_MAXIMIZE);
  ASSERT_TRUE(IsZoomed(form.Handle()));
  press(150, 2);
  EXPECT_TRUE(trap.commands.empty());
  EXPECT_EQ(bar->Cursor(), crDefault);
  form.SetWindowProc(form.OwnWndProc());
}

// ---------------------------------------------------------------- the system's loops

// The drag-full-windows setting as the session has it, and as the user's
// profile keeps it.
BOOL DragFullWindows() {
  BOOL on = FALSE;
  SystemParametersInfoW(SPI_GETDRAGFULLWINDOWS, 0, &on, 0);
  return on;
}

std::wstring SavedDragFullWindows() {
  wchar_t value[16] = {};
  DWORD size = sizeof value;
  if (RegGetValueW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", L"DragFullWindows", RRF_RT_REG_SZ,
                   nullptr, value, &size) != ERROR_SUCCESS)
    return L"(none)";
  return value;
}

// What the timer does inside the loop: it notes the setting, moves the
// pointer and lets go (or presses Escape).
struct LoopDriver {
  POINT to{};
  bool escape = false;
  HWND window = nullptr;
  bool fired = false;
  BOOL settingInside = -1;
  std::wstring savedInside;
};
LoopDriver* gDriver = nullptr;

void CALLBACK DriveLoop(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  try {
    LoopDriver& d = *gDriver;
    d.fired = true;
    d.settingInside = DragFullWindows();
    d.savedInside = SavedDragFullWindows();
    SetCursorPos(d.to.x, d.to.y);
    PostMessageW(d.window, WM_MOUSEMOVE, MK_LBUTTON, 0);
    PostMessageW(d.window, d.escape ? WM_KEYDOWN : WM_LBUTTONUP, d.escape ? VK_ESCAPE : 0, 0);
  } catch (...) {
    ApplicationHandleException(std::current_exception());
  }
}

// A borderless TTavrinForm at (100, 100), 300 x 200, no smaller than
// 150 x 120, with a sizeable bottom bar; the drag setting on, and saved on.
class LoopTest : public testing::Test {
 protected:
  void SetUp() override {
    GetCursorPos(&FPointer);
    FWasOn = DragFullWindows();
    FWasSaved = SavedDragFullWindows();
    SystemParametersInfoW(SPI_SETDRAGFULLWINDOWS, TRUE, nullptr, SPIF_UPDATEINIFILE);
    form.SetBorderStyle(bsNone);
    form.SetBounds(100, 100, 300, 200);
    form.Constraints()->SetMinWidth(150);
    form.Constraints()->SetMinHeight(120);
    bar = new TFormTitle(&form);
    bar->SetParent(&form);
    bar->SetAlign(alBottom);
    bar->SetHeight(20);
    bar->SetSizeable(true);
    form.Show();
    PumpPendingMessages();
  }
  void TearDown() override {
    gDriver = nullptr;
    if (FWasSaved == L"0" || FWasSaved == L"1")
      SystemParametersInfoW(SPI_SETDRAGFULLWINDOWS, FWasSaved == L"1", nullptr, SPIF_UPDATEINIFILE);
    SystemParametersInfoW(SPI_SETDRAGFULLWINDOWS, FWasOn, nullptr, 0);
    SetCursorPos(FPointer.x, FPointer.y);
  }

  // Presses the bar at (x, y) and lets the timer drag by (dx, dy); the loop
  // runs inside the press.
  void Drag(LoopDriver& driver, int x, int y, int dx, int dy) {
    const POINT from = bar->ClientToScreen(POINT{x, y});
    SetCursorPos(from.x, from.y);
    driver.to = POINT{from.x + dx, from.y + dy};
    driver.window = form.Handle();
    gDriver = &driver;
    SetTimer(nullptr, 0, 10, DriveLoop);
    PostMessageW(bar->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    ASSERT_TRUE(PumpMessagesUntil([&] { return driver.fired; }));
    PumpPendingMessages();
  }

  TTavrinForm form{nullptr};
  TFormTitle* bar = nullptr;

 private:
  POINT FPointer{};
  BOOL FWasOn = FALSE;
  std::wstring FWasSaved;
};

struct LoopCase {
  const char* name;
  bool grip, smooth, layered, escape;  // grip: the bottom-right corner, else the middle
  int dx, dy;
  RECT after;  // the window's
  BOOL settingInside;
};

TEST_F(LoopTest, MovesAndSizesAndPutsTheDragSettingBack) {
  const LoopCase cases[] = {
      {"moved by the bar", false, false, false, false, 30, 20, {130, 120, 430, 320}, TRUE},
      {"outline only", true, false, false, false, 40, 30, {130, 120, 470, 350}, FALSE},
      {"contents shown", true, true, false, false, -20, 10, {130, 120, 450, 360}, TRUE},
      {"layered window", true, true, true, false, 10, 10, {130, 120, 460, 370}, FALSE},
      {"stops at the constraints", true, false, false, false, -500, -500, {130, 120, 280, 240}, FALSE},
      {"cancelled with Escape", true, false, false, true, 60, 60, {130, 120, 280, 240}, FALSE},
  };
  for (const LoopCase& c : cases) {
    SCOPED_TRACE(c.name);
    bar->SetSmoothResize(c.smooth);
    if (c.layered) {
      SetWindowLongPtrW(form.Handle(), GWL_EXSTYLE,
                        GetWindowLongPtrW(form.Handle(), GWL_EXSTYLE) | WS_EX_LAYERED);
      SetLayeredWindowAttributes(form.Handle(), 0, 255, LWA_ALPHA);
    }
    LoopDriver driver;
    driver.escape = c.escape;
    Drag(driver, c.grip ? bar->Width() - 5 : bar->Width() / 2, c.grip ? 15 : 8, c.dx, c.dy);
    RECT r{};
    GetWindowRect(form.Handle(), &r);
    EXPECT_TRUE(EqualRect(&r, &c.after)) << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom;
    EXPECT_EQ(driver.settingInside, c.settingInside);
    EXPECT_EQ(driver.savedInside, L"1") << "the switch reached the user's profile";
    EXPECT_TRUE(DragFullWindows());
    EXPECT_EQ(SavedDragFullWindows(), L"1");
  }
}

// A window procedure that fails on the size command: the setting it saw
// switched off is back on once the failure has gone by.
struct FailingSysCommand {
  TCustomForm* form;
  BOOL settingInside = -1;
  void Handle(TMessage& Message) {
    if (Message.Msg != WM_SYSCOMMAND) return form->WndProc(Message);
    settingInside = DragFullWindows();
    throw Exception(L"no sizing today");
  }
};

TEST_F(LoopTest, PutsTheDragSettingBackWhenTheLoopFails) {
  bar->SetSmoothResize(false);
  FailingSysCommand failing{&form};
  form.SetWindowProc(MakeWindowMethod<&FailingSysCommand::Handle>(&failing));
  testing_support::ExceptionRecorder recorder;
  SendMessageW(bar->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(295, 15));
  form.SetWindowProc(form.OwnWndProc());
  EXPECT_EQ(failing.settingInside, FALSE);
  EXPECT_EQ(recorder.messages, std::vector<std::string>{"no sizing today"});
  EXPECT_TRUE(DragFullWindows());
}

TEST(TavrinForm, AnswersItsConstraintsAsTheMinimumTrackingSize) {
  TTavrinForm form(nullptr);
  form.Constraints()->SetMinWidth(291);
  form.Constraints()->SetMinHeight(132);
  MINMAXINFO info{};
  SendMessageW(form.Handle(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
  EXPECT_EQ(info.ptMinTrackSize.x, 291);
  EXPECT_EQ(info.ptMinTrackSize.y, 132);
}

// ---------------------------------------------------------------- a picture

// A playlist-like window with the default skin's title bar, active and
// inactive; saved for a developer to look at (TAVRIN_PICTURE_DIR keeps it).
TEST(FormTitle, PictureOfTheDefaultPlaylistTitle) {
  TBitmap sheet, active, inactive;
  LoadGraphicFromResource(L"PL", &sheet);
  ASSERT_TRUE(ExtractSkinCell(&sheet, &active, 1, 1));
  ASSERT_TRUE(ExtractSkinCell(&sheet, &inactive, 2, 1));
  TTavrinForm form(nullptr);
  form.SetBorderStyle(bsNone);
  form.SetBounds(60, 60, 325, 2 * active.Height() + 40);
  form.SetColor(0x303030);
  TFormTitle* bars[2];
  for (int i = 0; i < 2; ++i) {
    bars[i] = new TFormTitle(&form);
    bars[i]->SetParent(&form);
    bars[i]->SetBevelOuter(bvNone);
    bars[i]->SetBounds(0, i * (active.Height() + 20), 325, active.Height());
    bars[i]->SetDrawStyle(dsComplex);
    bars[i]->SetEdgeSize(30);
    bars[i]->SetMiddleSize(20);
    bars[i]->SetActiveImage(&active);
    bars[i]->SetInactiveImage(&inactive);
  }
  bars[1]->SetActive(false);
  form.Show();
  PumpPendingMessages();

  testing_support::Picture picture;
  ASSERT_TRUE(testing_support::TakeWindowPicture(form.Handle(), L"playlist_title.png", picture));
  // Both bars carry the picture's ends at both ends of the window.
  for (int i = 0; i < 2; ++i) {
    TBitmap* source = i == 0 ? &active : &inactive;
    const int y = bars[i]->Top() + 5;
    EXPECT_EQ(picture.Pixel(3, y), static_cast<COLORREF>(skin_test::PixelOf(source, 3, 5))) << i;
    EXPECT_EQ(picture.Pixel(321, y),
              static_cast<COLORREF>(skin_test::PixelOf(source, source->Width() - 4, 5)))
        << i;
  }
}

}  // namespace
