// Whether a window's texts fit where they are drawn, measured in each
// control's own font: what a longer translation clips, crowds or pushes over
// a frame shows as a line of text, so a test can hold a window to it in every
// language.
#pragma once

#include <string>
#include <vector>

class TWinControl;

namespace testing_support {

// One line for each text of Window's visible controls that does not fit,
// "<control>: <text>: <why>"; none when all fit. A label's text keeps Margin
// pixels from its parent's edges (a group box's frame) and from the controls
// beside it; a button's, check box's or group box's caption, and a grid
// cell's text, fit inside it with Margin to spare on each side. Four pixels
// between a text and a box's frame look, to a reader, like a touch.
std::vector<std::string> TextsThatDoNotFit(TWinControl* Window, int Margin = 6);

}  // namespace testing_support
