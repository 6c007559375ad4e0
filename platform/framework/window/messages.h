// Window messages as the framework passes them around, and every private
// message id of the framework, defined once here:
//   CM_*  control messages, from 0xB000, sent between framework objects;
//   CN_*  notifications a parent reflects back to the child control that sent
//         them (CN_BASE + the original WM_* id).
#pragma once

#include <windows.h>

#include <cstdint>

struct TMessage {
  UINT Msg;
  WPARAM WParam;
  LPARAM LParam;
  LRESULT Result;
};

// The 16-bit halves of WParam as a keyboard message reads them: CharCode is
// the low word (the character or virtual key), the high word is spare.
inline uint16_t CharCodeOf(const TMessage& m) { return static_cast<uint16_t>(m.WParam & 0xFFFF); }
inline uint16_t WParamHighOf(const TMessage& m) {
  return static_cast<uint16_t>((m.WParam >> 16) & 0xFFFF);
}
inline void SetCharCode(TMessage& m, uint16_t code) {
  m.WParam = (m.WParam & ~static_cast<WPARAM>(0xFFFF)) | code;
}
inline void SetWParamHigh(TMessage& m, uint16_t high) {
  m.WParam = (m.WParam & ~static_cast<WPARAM>(0xFFFF0000u)) | (static_cast<WPARAM>(high) << 16);
}
inline int16_t XOfLParam(LPARAM l) { return static_cast<int16_t>(l & 0xFFFF); }
inline int16_t YOfLParam(LPARAM l) { return static_cast<int16_t>((l >> 16) & 0xFFFF); }

constexpr UINT CM_BASE = 0xB000;
constexpr UINT CM_ACTIVATE = CM_BASE + 0;
constexpr UINT CM_DEACTIVATE = CM_BASE + 1;
constexpr UINT CM_ENABLEDCHANGED = CM_BASE + 3;
constexpr UINT CM_COLORCHANGED = CM_BASE + 4;
constexpr UINT CM_FONTCHANGED = CM_BASE + 5;
constexpr UINT CM_CURSORCHANGED = CM_BASE + 6;
constexpr UINT CM_PARENTFONTCHANGED = CM_BASE + 8;
constexpr UINT CM_PARENTCOLORCHANGED = CM_BASE + 9;
constexpr UINT CM_HITTEST = CM_BASE + 10;
constexpr UINT CM_VISIBLECHANGED = CM_BASE + 11;
constexpr UINT CM_ENTER = CM_BASE + 12;
constexpr UINT CM_EXIT = CM_BASE + 13;
constexpr UINT CM_MENUCHANGED = CM_BASE + 14;
constexpr UINT CM_APPKEYDOWN = CM_BASE + 15;
constexpr UINT CM_APPSYSCOMMAND = CM_BASE + 16;
constexpr UINT CM_BUTTONPRESSED = CM_BASE + 17;
constexpr UINT CM_SHOWINGCHANGED = CM_BASE + 18;
constexpr UINT CM_ENTER_MODAL = CM_BASE + 19;
constexpr UINT CM_DIALOGKEY = CM_BASE + 20;
constexpr UINT CM_DIALOGCHAR = CM_BASE + 21;
constexpr UINT CM_FOCUSCHANGED = CM_BASE + 22;
constexpr UINT CM_PARENTSHOWHINTCHANGED = CM_BASE + 23;
constexpr UINT CM_TEXTCHANGED = CM_BASE + 24;
constexpr UINT CM_SHOWHINTCHANGED = CM_BASE + 25;
constexpr UINT CM_RELEASE = CM_BASE + 26;
constexpr UINT CM_WANTSPECIALKEY = CM_BASE + 27;
constexpr UINT CM_CHILDKEY = CM_BASE + 28;
constexpr UINT CM_CONTROLCHANGE = CM_BASE + 29;
constexpr UINT CM_MOUSEENTER = CM_BASE + 30;
constexpr UINT CM_MOUSELEAVE = CM_BASE + 31;
constexpr UINT CM_HINTSHOW = CM_BASE + 32;
constexpr UINT CM_HINTSHOWPAUSE = CM_BASE + 33;
constexpr UINT CM_RECREATEWND = CM_BASE + 34;
constexpr UINT CM_ACTIONUPDATE = CM_BASE + 35;
constexpr UINT CM_ACTIONEXECUTE = CM_BASE + 36;
constexpr UINT CM_SYSFONTCHANGED = CM_BASE + 37;
constexpr UINT CM_BORDERCHANGED = CM_BASE + 38;
constexpr UINT CM_BIDIMODECHANGED = CM_BASE + 60;

constexpr UINT CN_BASE = 0xBC00;
constexpr UINT CN_CHARTOITEM = CN_BASE + WM_CHARTOITEM;
constexpr UINT CN_COMMAND = CN_BASE + WM_COMMAND;
constexpr UINT CN_COMPAREITEM = CN_BASE + WM_COMPAREITEM;
constexpr UINT CN_CTLCOLORBTN = CN_BASE + WM_CTLCOLORBTN;
constexpr UINT CN_CTLCOLORDLG = CN_BASE + WM_CTLCOLORDLG;
constexpr UINT CN_CTLCOLOREDIT = CN_BASE + WM_CTLCOLOREDIT;
constexpr UINT CN_CTLCOLORLISTBOX = CN_BASE + WM_CTLCOLORLISTBOX;
constexpr UINT CN_CTLCOLORMSGBOX = CN_BASE + WM_CTLCOLORMSGBOX;
constexpr UINT CN_CTLCOLORSCROLLBAR = CN_BASE + WM_CTLCOLORSCROLLBAR;
constexpr UINT CN_CTLCOLORSTATIC = CN_BASE + WM_CTLCOLORSTATIC;
constexpr UINT CN_DELETEITEM = CN_BASE + WM_DELETEITEM;
constexpr UINT CN_DRAWITEM = CN_BASE + WM_DRAWITEM;
constexpr UINT CN_HSCROLL = CN_BASE + WM_HSCROLL;
constexpr UINT CN_MEASUREITEM = CN_BASE + WM_MEASUREITEM;
constexpr UINT CN_PARENTNOTIFY = CN_BASE + WM_PARENTNOTIFY;
constexpr UINT CN_VKEYTOITEM = CN_BASE + WM_VKEYTOITEM;
constexpr UINT CN_VSCROLL = CN_BASE + WM_VSCROLL;
constexpr UINT CN_KEYDOWN = CN_BASE + WM_KEYDOWN;
constexpr UINT CN_KEYUP = CN_BASE + WM_KEYUP;
constexpr UINT CN_CHAR = CN_BASE + WM_CHAR;
constexpr UINT CN_SYSKEYDOWN = CN_BASE + WM_SYSKEYDOWN;
constexpr UINT CN_SYSCHAR = CN_BASE + WM_SYSCHAR;
constexpr UINT CN_NOTIFY = CN_BASE + WM_NOTIFY;

// CM_FOCUSCHANGED carries the newly focused control in LParam; CM_HINTSHOW a
// THintInfo*; CM_ACTIONEXECUTE and CM_ACTIONUPDATE a TBasicAction*, answered
// with 1 when handled; CM_CHILDKEY the key in WParam and the sending control in
// LParam, answered non-zero to swallow the key.
