// TNetStreamInfo: what the server of the playing internet stream reported,
// one line a row, fixed when the window shows; while the stream plays or is
// paused, the bottom row follows its buffer fill four times a second. The
// main window shows it for the stream that plays and closes it when
// playback stops.
//
// Ownership: the window owns its controls and its timer; it only points to
// the host.
#pragma once

#include <string>
#include <vector>

#include "unicode_controls/tnt_forms.h"

class TStreamInfoHost;
class TTimer;
class TTntButton;
class TTntStringGrid;

class TNetStreamInfo;
// The window while it exists; nullptr otherwise.
extern TNetStreamInfo* NetStreamInfo;

class TNetStreamInfo : public TTntForm {
 public:
  // Host may be nullptr: the window then shows nothing.
  TNetStreamInfo(TComponent* AOwner, TStreamInfoHost* Host);
  ~TNetStreamInfo() override;

  // The grid's rows, top to bottom.
  std::vector<std::wstring> Lines() const;

  // Handlers.
  void FormShow();
  void FormResize();
  void CloseButClick();
  void UpdateBufferRow();

  static constexpr uint32_t kBufferInterval = 250;

  TTntStringGrid* InfoGrid = nullptr;
  TTntButton* CloseBut = nullptr;
  // Present only while a playing or paused stream is shown.
  TTimer* BufferTimer = nullptr;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void DoShow() override;
  void DoClose(TCloseAction& Action) override;

 private:
  void CreateControls();
  void AddLine(const std::wstring& Text);
  void FitColumn();
  // The grid's lines also as its window text: the grid draws its cells
  // itself, and a screen reader (or a program outside) reads them there.
  void PublishLines();

  TStreamInfoHost* FHost;
};
