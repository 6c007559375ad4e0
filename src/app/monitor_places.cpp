#include "app/monitor_places.h"

#include <algorithm>

#include "framework/controls.h"

namespace {

int32_t ToInt(int64_t Value) {
  return static_cast<int32_t>(std::clamp<int64_t>(Value, INT32_MIN, INT32_MAX));
}

}  // namespace

RECT PartOnScreen(TScreenPlace Place, const RECT& Part) {
  return RECT{ToInt(Place.Left + Part.left), ToInt(Place.Top + Part.top), ToInt(Place.Left + Part.right),
              ToInt(Place.Top + Part.bottom)};
}

bool OnSomeMonitor(const RECT& Area) { return MonitorFromRect(&Area, MONITOR_DEFAULTTONULL) != nullptr; }

RECT WorkAreaNear(const RECT& Area) {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  // Without an answer the area counts as shown, and nothing is moved.
  return GetMonitorInfoW(MonitorFromRect(&Area, MONITOR_DEFAULTTONEAREST), &info) ? info.rcWork : Area;
}

TScreenPlace KeepOnAMonitor(TScreenPlace Place, const RECT& Part) {
  const RECT wanted = PartOnScreen(Place, Part);
  const RECT area = WorkAreaNear(wanted);
  const int64_t width = int64_t{Part.right} - Part.left, height = int64_t{Part.bottom} - Part.top;
  const int64_t stripX = std::min(kVisibleStrip, width), stripY = std::min(kVisibleStrip, height);
  RECT shown{};
  if (IntersectRect(&shown, &wanted, &area) && shown.right - shown.left >= stripX &&
      shown.bottom - shown.top >= stripY)
    return Place;
  const int64_t left = Place.Left + Part.left, top = Place.Top + Part.top;
  const int64_t movedLeft =
      std::clamp<int64_t>(left, area.left - width + stripX, std::max<int64_t>(area.left, area.right - stripX));
  const int64_t movedTop =
      std::clamp<int64_t>(top, area.top - height + stripY, std::max<int64_t>(area.top, area.bottom - stripY));
  return TScreenPlace{Place.Left + movedLeft - left, Place.Top + movedTop - top};
}

TScreenPlace StoredPlace(TScreenPlace Place, const RECT& Title) {
  if (OnSomeMonitor(PartOnScreen(Place, Title))) return Place;
  return KeepOnAMonitor(Place, Title);
}

RECT TitleArea(TWinControl* Window, TControl* SkinnedTitle) {
  RECT frame{};
  GetWindowRect(Window->Handle(), &frame);
  int32_t bottom = Window->ClientOrigin().y - frame.top;
  if (SkinnedTitle && SkinnedTitle->Visible()) bottom += SkinnedTitle->Top() + SkinnedTitle->Height();
  return RECT{0, 0, Window->Width(), std::clamp(bottom, 1, std::max(1, Window->Height()))};
}
