// Every slider of the program dragged by hand from end to end in 1-pixel
// steps, with the handlers the program gives it: the main window's position
// and volume, the equaliser's bands and balance (whose handler snaps it to
// its centre), the sound effects' and the options' sliders.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "app/skin_loading.h"
#include "main_window_fixture.h"
#include "skin/slider.h"
#include "slider_drag.h"
#include "windows/effects/effects_form.h"
#include "windows/equalizer/eq_form.h"
#include "windows/options/options_form.h"

namespace {

using ProgramSliders = MainWindowTest;

// Handlers may go a few steps deep (the playback and net buffer sliders keep
// each other apart so), never on and on.
constexpr int kDeepest = 8;

TEST_F(ProgramSliders, EachIsDraggedFromEndToEndInSmallSteps) {
  auto eq = std::make_unique<TEQ>(nullptr, form->EQHost());
  auto effects = std::make_unique<TSEffects>(nullptr, nullptr);
  auto options = std::make_unique<TOptions>(nullptr, form->OptionsHost());
  LoadNewSkin(DefaultSkinName, form);  // the balance bar as the program shows it
  struct Row {
    TForm* window;
    TSlider* slider;
    std::vector<int32_t> met;  // besides both ends
  };
  std::vector<Row> rows = {{form, form->SeekingBar, {}}, {form, form->VolumeBar, {}},
                           {eq.get(), eq->PanningBar, {0}}};
  for (int32_t band = 1; band <= 10; ++band) rows.push_back({eq.get(), eq->Band(band), {0}});
  for (TSlider* slider : {effects->EchoTrack, effects->ReverbTrack, effects->Speed})
    rows.push_back({effects.get(), slider, {}});
  for (TSlider* slider : {options->RefreshRateSlider, options->ScopeSensSlider, options->BufSlider,
                          options->NetBufSlider, options->OpSlider, options->HueSlider})
    rows.push_back({options.get(), slider, {}});
  for (const Row& row : rows) {
    SCOPED_TRACE(row.slider->Name());
    row.window->Show();
    // The position bar has no thumb while nothing plays, the hue none while off.
    row.slider->SetThumbVisible(true);
    row.slider->SetEnabled(true);
    // The program's handler, run no deeper inside itself than kDeepest: one
    // that would go on for ever fails here instead of running the stack out.
    int depth = 0, runaway = 0;
    const TNotifyEvent handler = row.slider->OnChange();
    row.slider->SetOnChange([&](TObject* Sender) {
      if (depth == kDeepest) return void(++runaway);
      ++depth;
      handler(Sender);
      --depth;
    });
    int astray = 0;
    const std::vector<int32_t> values = slider_test::DragAcross(row.slider, 1, [&] {
      const TSliderThumb* thumb = row.slider->Thumb();
      const int32_t at = row.slider->Orientation() == soVertical ? thumb->Top() : thumb->Left();
      astray += at != row.slider->ValueToPixel(row.slider->Value());
    });
    row.slider->SetOnChange(handler);
    EXPECT_EQ(runaway, 0) << "changes reported inside their own handler " << kDeepest << " deep";
    EXPECT_EQ(astray, 0) << "moves after which the thumb did not show the value";
    std::vector<int32_t> met = row.met;
    met.insert(met.end(), {row.slider->MinValue(), row.slider->MaxValue()});
    for (const int32_t v : met)
      EXPECT_TRUE(std::find(values.begin(), values.end(), v) != values.end()) << v << " was never met";
  }
}

}  // namespace
