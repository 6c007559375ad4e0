// UTF-8 and UTF-7 codecs of our own, so malformed input has one defined result
// whatever the system's converters do with it.
#include <cstdint>

#include "foundation/tnt_system.h"
#include "foundation/tnt_sysutils.h"

namespace {

constexpr wchar_t kReplacement = 0xFFFD;

void AppendCodePoint(std::string& out, uint32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

bool IsHighSurrogate(uint32_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(uint32_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

const char kBase64Alphabet[] =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

struct Utf7Tables {
  int8_t Base64Value[128];  // -1 outside the alphabet
  bool Direct[128];         // set D and white space
  bool OptionalDirect[128];
};

const Utf7Tables& GetUtf7Tables() {
  static const Utf7Tables tables = [] {
    Utf7Tables t = {};
    for (auto& v : t.Base64Value) v = -1;
    for (int i = 0; i < 64; ++i) t.Base64Value[static_cast<unsigned char>(kBase64Alphabet[i])] =
        static_cast<int8_t>(i);
    for (const char* p = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789'(),-./:?"
                         "\t\r\n ";
         *p; ++p)
      t.Direct[static_cast<unsigned char>(*p)] = true;
    for (const char* p = "!\"#$%&*;<=>@[]^_`{|}"; *p; ++p)
      t.OptionalDirect[static_cast<unsigned char>(*p)] = true;
    return t;
  }();
  return tables;
}

bool IsBase64(const Utf7Tables& t, unsigned char c) { return c < 128 && t.Base64Value[c] >= 0; }

[[noreturn]] void InvalidUtf7() { throw ETntGeneralError(L"Invalid UTF7"); }

}  // namespace

std::string WideStringToUTF8(const std::wstring& S) {
  std::string out;
  out.reserve(S.size());
  for (size_t i = 0; i < S.size(); ++i) {
    uint32_t c = static_cast<uint16_t>(S[i]);
    if (IsHighSurrogate(c) && i + 1 < S.size() && IsLowSurrogate(static_cast<uint16_t>(S[i + 1]))) {
      c = 0x10000 + ((c - 0xD800) << 10) + (static_cast<uint16_t>(S[++i]) - 0xDC00);
    } else if (IsHighSurrogate(c) || IsLowSurrogate(c)) {
      c = kReplacement;
    }
    AppendCodePoint(out, c);
  }
  return out;
}

std::wstring UTF8ToWideString(const std::string& S) {
  std::wstring out;
  out.reserve(S.size());
  const size_t n = S.size();
  size_t i = 0;
  while (i < n) {
    const auto b0 = static_cast<unsigned char>(S[i++]);
    if (b0 < 0x80) {
      out += static_cast<wchar_t>(b0);
      continue;
    }
    int more = 0;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
      more = 1;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
      more = 2;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
      more = 3;
    } else {
      out += kReplacement;
      continue;
    }
    uint32_t cp = b0 & (0x3F >> more);
    // The second byte's range rules out overlong forms, surrogates and values
    // above U+10FFFF; a bad byte ends the sequence and is read again.
    unsigned char lo = 0x80, hi = 0xBF;
    if (b0 == 0xE0) lo = 0xA0;
    if (b0 == 0xED) hi = 0x9F;
    if (b0 == 0xF0) lo = 0x90;
    if (b0 == 0xF4) hi = 0x8F;
    bool ok = true;
    for (; more > 0; --more) {
      if (i >= n) {
        ok = false;
        break;
      }
      const auto b = static_cast<unsigned char>(S[i]);
      if (b < lo || b > hi) {
        ok = false;
        break;
      }
      cp = (cp << 6) | (b & 0x3F);
      ++i;
      lo = 0x80, hi = 0xBF;
    }
    if (!ok) {
      out += kReplacement;
    } else if (cp >= 0x10000) {
      out += static_cast<wchar_t>(0xD800 + ((cp - 0x10000) >> 10));
      out += static_cast<wchar_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
    } else {
      out += static_cast<wchar_t>(cp);
    }
  }
  return out;
}

std::string WideStringToUTF7(const std::wstring& S) {
  const Utf7Tables& t = GetUtf7Tables();
  std::string out(S.size() * 7, '\0');
  size_t at = 0;
  auto put = [&](char c) {
    if (at >= out.size()) throw ETntInternalError(L"Buffer overflow");
    out[at++] = c;
  };
  bool shifted = false;
  uint32_t bits = 0;
  int bitCount = 0;
  // The closing "-" is written only when the next character would otherwise
  // be read as part of the run.
  auto endRun = [&](bool dash) {
    if (bitCount > 0) put(kBase64Alphabet[(bits << (6 - bitCount)) & 63]);
    bits = 0, bitCount = 0, shifted = false;
    if (dash) put('-');
  };
  for (wchar_t wc : S) {
    const auto c = static_cast<uint16_t>(wc);
    if (c < 128 && (t.Direct[c] || t.OptionalDirect[c] || c == '+')) {
      if (shifted) endRun(c == '-' || IsBase64(t, static_cast<unsigned char>(c)));
      put(static_cast<char>(c));
      if (c == '+') put('-');
      continue;
    }
    if (!shifted) {
      put('+');
      shifted = true;
    }
    bits = (bits << 16) | c;
    bitCount += 16;
    while (bitCount >= 6) {
      bitCount -= 6;
      put(kBase64Alphabet[(bits >> bitCount) & 63]);
    }
    bits &= (1u << bitCount) - 1;
  }
  if (shifted) endRun(false);
  out.resize(at);
  return out;
}

std::wstring UTF7ToWideString(const std::string& S) {
  const Utf7Tables& t = GetUtf7Tables();
  std::wstring out;
  out.reserve(S.size());
  const size_t n = S.size();
  size_t i = 0;
  while (i < n) {
    const auto c = static_cast<unsigned char>(S[i++]);
    if (c >= 128) InvalidUtf7();
    if (c != '+') {
      out += static_cast<wchar_t>(c);
      continue;
    }
    if (i < n && S[i] == '-') {
      out += L'+';
      ++i;
      continue;
    }
    if (i >= n || !IsBase64(t, static_cast<unsigned char>(S[i]))) InvalidUtf7();
    uint32_t bits = 0;
    int bitCount = 0;
    for (; i < n && IsBase64(t, static_cast<unsigned char>(S[i])); ++i) {
      bits = (bits << 6) | static_cast<uint32_t>(t.Base64Value[static_cast<unsigned char>(S[i])]);
      bitCount += 6;
      if (bitCount >= 16) {
        bitCount -= 16;
        out += static_cast<wchar_t>((bits >> bitCount) & 0xFFFF);
      }
      bits &= (1u << bitCount) - 1;
    }
    // What is left must be the zero padding of the last character: fewer than
    // six bits, all clear.
    if (bitCount >= 6 || bits != 0) InvalidUtf7();
    if (i < n && S[i] == '-') ++i;
  }
  return out;
}
