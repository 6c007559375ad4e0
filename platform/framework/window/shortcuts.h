// Shortcuts, hot keys and hints: the texts of keys and captions that menus,
// actions and hint windows share.
#pragma once

#include <cstdint>
#include <string>

#include "framework/actions.h"

// Key in the low byte, plus the modifier bits.
constexpr TShortCut scShift = 0x2000;
constexpr TShortCut scCtrl = 0x4000;
constexpr TShortCut scAlt = 0x8000;
constexpr TShortCut scNone = 0;

TShortCut ShortCut(uint16_t Key, uint16_t Shift);  // Shift: TShiftState flags
void ShortCutToKey(TShortCut ShortCut, uint16_t& Key, uint16_t& Shift);
// "Ctrl+F5", "Shift+Ctrl+A", "Alt+Enter"; modifiers in the order Shift, Ctrl,
// Alt; keys named from our own table (the system's key names depend on the
// keyboard driver); "" for 0 or an unknown key.
std::string ShortCutToText(TShortCut ShortCut);
// The inverse, ignoring case; "None" and "" give 0, unknown text gives 0.
TShortCut TextToShortCut(const std::string& Text);
// The name of a key of the named-key table ("Enter", "F5", "PgUp"...), or "".
std::string KeyNameOf(uint16_t Key);

// A menu's hot-key handling.
// "&&" stands for a literal '&'; GetHotkey gives the character after the
// single '&' as written, or 0.
std::string StripHotkey(const std::string& Text);
char GetHotkey(const std::string& Text);
// The character of a CM_DIALOGCHAR is Text's hot key, in either case. A
// character carried in the high word (the Unicode layer's packing) is no byte
// of the code page and is no one's.
bool IsHotkeyChar(const TMessage& Message, const std::string& Text);

// The parts of a hint "short|long": the text before and after the first '|',
// or the whole text when it has none.
std::string GetShortHint(const std::string& Hint);
std::string GetLongHint(const std::string& Hint);
