// TFindBox: the playlist's search box, drawn as a flat field of the skin's
// colours. The system's 3-D edge (white on its lower side, whatever the
// skin) gives way to a one-pixel frame between the box's colour and its
// text's, and the text stands in the middle of whatever height the skin
// gives the box.
#pragma once

#include "unicode_controls/tnt_edits.h"

class TFindBox : public TTntEdit {
 public:
  explicit TFindBox(TComponent* AOwner);

 protected:
  void Dispatch(TMessage& Message) override;

 private:
  // The client area: the line of text, centred, inside the frame.
  void CalcClient(RECT& Window);
  void PaintFrame();
  // The non-client area is worked out again (a new font, a new height).
  void FrameChanged();
};
