#include "framework/shortcuts.h"

#include <algorithm>
#include <cctype>

#include "framework/controls.h"

namespace {

// ------------------------------------------------------------------ key names
// Our own names: GetKeyNameText answers from the keyboard driver (under Wine,
// from the X keymap), so the same shortcut would read differently per machine.

struct TNamedKey {
  uint16_t Key;
  const char* Name;
};

constexpr TNamedKey kNamedKeys[] = {
    {VK_BACK, "BkSp"},        {VK_TAB, "Tab"},         {VK_ESCAPE, "Esc"},
    {VK_RETURN, "Enter"},     {VK_SPACE, "Space"},     {VK_PRIOR, "PgUp"},
    {VK_NEXT, "PgDn"},        {VK_END, "End"},         {VK_HOME, "Home"},
    {VK_LEFT, "Left"},        {VK_UP, "Up"},           {VK_RIGHT, "Right"},
    {VK_DOWN, "Down"},        {VK_INSERT, "Ins"},      {VK_DELETE, "Del"},
    {VK_MULTIPLY, "Num *"},   {VK_ADD, "Num +"},       {VK_SUBTRACT, "Num -"},
    {VK_DECIMAL, "Num ."},    {VK_DIVIDE, "Num /"},    {VK_OEM_1, ";"},
    {VK_OEM_PLUS, "="},       {VK_OEM_COMMA, ","},     {VK_OEM_MINUS, "-"},
    {VK_OEM_PERIOD, "."},     {VK_OEM_2, "/"},         {VK_OEM_3, "`"},
    {VK_OEM_4, "["},          {VK_OEM_5, "\\"},        {VK_OEM_6, "]"},
    {VK_OEM_7, "'"},
};

struct TModifier {
  TShortCut Bit;
  const char* Prefix;
};

// The order in which ShortCutToText writes them.
constexpr TModifier kModifiers[] = {{scShift, "Shift+"}, {scCtrl, "Ctrl+"}, {scAlt, "Alt+"}};

std::string Lower(std::string Text) {
  for (char& c : Text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return Text;
}

std::string Trim(const std::string& Text) {
  size_t first = Text.find_first_not_of(" \t");
  if (first == std::string::npos) return "";
  size_t last = Text.find_last_not_of(" \t");
  return Text.substr(first, last - first + 1);
}

}  // namespace

// ------------------------------------------------------------------ shortcuts

TShortCut ShortCut(uint16_t Key, uint16_t Shift) {
  if (Key > 0xFF) return scNone;
  TShortCut result = Key;
  if (Shift & ssShift) result |= scShift;
  if (Shift & ssCtrl) result |= scCtrl;
  if (Shift & ssAlt) result |= scAlt;
  return result;
}

void ShortCutToKey(TShortCut ShortCut, uint16_t& Key, uint16_t& Shift) {
  Key = ShortCut & 0xFF;
  Shift = 0;
  if (ShortCut & scShift) Shift |= ssShift;
  if (ShortCut & scCtrl) Shift |= ssCtrl;
  if (ShortCut & scAlt) Shift |= ssAlt;
}

std::string KeyNameOf(uint16_t Key) {
  if ((Key >= '0' && Key <= '9') || (Key >= 'A' && Key <= 'Z')) {
    return std::string(1, static_cast<char>(Key));
  }
  if (Key >= VK_NUMPAD0 && Key <= VK_NUMPAD9) {
    return "Num " + std::string(1, static_cast<char>('0' + (Key - VK_NUMPAD0)));
  }
  if (Key >= VK_F1 && Key <= VK_F24) return "F" + std::to_string(Key - VK_F1 + 1);
  for (const TNamedKey& named : kNamedKeys) {
    if (named.Key == Key) return named.Name;
  }
  return "";
}

std::string ShortCutToText(TShortCut ShortCut) {
  std::string name = KeyNameOf(ShortCut & 0xFF);
  if (name.empty()) return "";
  std::string result;
  for (const TModifier& modifier : kModifiers) {
    if (ShortCut & modifier.Bit) result += modifier.Prefix;
  }
  return result + name;
}

TShortCut TextToShortCut(const std::string& Text) {
  std::string rest = Lower(Trim(Text));
  if (rest.empty() || rest == "none") return scNone;
  TShortCut modifiers = 0;
  for (bool found = true; found;) {
    found = false;
    for (const TModifier& modifier : kModifiers) {
      std::string prefix = Lower(modifier.Prefix);
      if (rest.size() > prefix.size() && rest.compare(0, prefix.size(), prefix) == 0) {
        modifiers |= modifier.Bit;
        rest.erase(0, prefix.size());
        found = true;
      }
    }
  }
  for (uint16_t key = 1; key <= 0xFF; ++key) {
    std::string name = KeyNameOf(key);
    if (!name.empty() && Lower(name) == rest) return static_cast<TShortCut>(key | modifiers);
  }
  return scNone;
}

std::string StripHotkey(const std::string& Text) {
  std::string result;
  result.reserve(Text.size());
  for (size_t i = 0; i < Text.size(); ++i) {
    // The character after '&' stays (in "&&" that is the second '&').
    if (Text[i] == '&') ++i;
    if (i < Text.size()) result += Text[i];
  }
  return result;
}

char GetHotkey(const std::string& Text) {
  for (size_t i = 0; i + 1 < Text.size(); ++i) {
    if (Text[i] != '&') continue;
    if (Text[i + 1] != '&') return Text[i + 1];
    ++i;
  }
  return '\0';
}

bool IsHotkeyChar(const TMessage& Message, const std::string& Text) {
  const char hotkey = GetHotkey(Text);
  if (hotkey == 0 || CharCodeOf(Message) > 0xFF || WParamHighOf(Message) != 0) return false;
  char pair[2] = {static_cast<char>(CharCodeOf(Message)), hotkey};
  CharUpperBuffA(pair, 2);
  return pair[0] == pair[1];
}

std::string GetShortHint(const std::string& Hint) {
  size_t bar = Hint.find('|');
  return bar == std::string::npos ? Hint : Hint.substr(0, bar);
}

std::string GetLongHint(const std::string& Hint) {
  size_t bar = Hint.find('|');
  return bar == std::string::npos ? Hint : Hint.substr(bar + 1);
}
