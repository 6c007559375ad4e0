#include "slider_drag.h"

#include <windows.h>

#include "skin/slider.h"
#include "test_support.h"

namespace slider_test {

std::vector<int32_t> DragAcross(TSlider* Slider, int Step, const std::function<void()>& AfterEachMove) {
  TSliderThumb* thumb = Slider->Thumb();
  const bool vertical = Slider->Orientation() == soVertical;
  // Along the track from its pixel 0; a down-up slider has its maximum there.
  const int towardsMax = vertical && Slider->VerticalStyle() == vsDownUp ? -1 : 1;
  const int length = vertical ? thumb->Height() : thumb->Width();
  const int across = vertical ? thumb->Left() + thumb->Width() / 2 : thumb->Top() + thumb->Height() / 2;
  int along = (vertical ? thumb->Top() : thumb->Left()) + length / 2;
  auto post = [&](UINT message, WPARAM keys) {
    const int x = vertical ? across : along, y = vertical ? along : across;
    PostMessageW(Slider->Handle(), message, keys, MAKELPARAM(x, y));
    testing_support::PumpPendingMessages();
  };
  post(WM_LBUTTONDOWN, MK_LBUTTON);
  std::vector<int32_t> values;
  const int beyond = Slider->TrackLength() + length + Step;
  const int ends[] = {towardsMax > 0 ? beyond : -Step, towardsMax > 0 ? -Step : beyond};
  for (const int end : ends) {
    const int direction = end > along ? 1 : -1;
    while ((end - along) * direction > 0) {
      along += direction * Step;
      post(WM_MOUSEMOVE, MK_LBUTTON);
      values.push_back(Slider->Value());
      if (AfterEachMove) AfterEachMove();
    }
  }
  post(WM_LBUTTONUP, 0);
  return values;
}

}  // namespace slider_test
