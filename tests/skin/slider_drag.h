// A hand on a slider's thumb, through the slider's own window messages: shared
// by the tests of the slider and of the program's windows that carry sliders.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

class TSlider;

namespace slider_test {

// Presses the middle of the thumb, moves the pointer Step pixels at a time
// past the maximum end of the track, then past the minimum end, and lets go.
// The slider's value after each movement, in order; AfterEachMove, when
// given, runs after each movement too.
std::vector<int32_t> DragAcross(TSlider* Slider, int Step,
                                const std::function<void()>& AfterEachMove = {});

}  // namespace slider_test
