#include "foundation/safe_file_name.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(SafeFileName, TextsBecomeOneValidNameInAnyFolder) {
  const std::wstring longName(200, L'a');
  // 119 letters and a surrogate pair straddling the cut: the pair goes whole.
  const std::wstring straddling = std::wstring(119, L'b') + L"\xD83C\xDFB5" + L"tail";
  const struct {
    std::wstring in, out;
  } cases[] = {
      {L"AC/DC: Live?", L"AC_DC_ Live_"},
      {L"a<b>c\"d\\e|f*g\x01h", L"a_b_c_d_e_f_g_h"},
      {L"..\\..\\Windows\\evil", L".._.._Windows_evil"},
      {L"name. . ", L"name"},
      {L"   lead", L"lead"},
      {L"CON", L"_CON"},
      {L"con.mp3", L"_con.mp3"},
      {L"Lpt9", L"_Lpt9"},
      {L"COM10", L"COM10"},
      {L"Console", L"Console"},
      {L"...", L"_"},
      {L"", L"_"},
      {L"\x0416\x0443\x043A - \x03A9\x03BC\x03AD\x03B3\x03B1 - \x97F3\x697D", L"\x0416\x0443\x043A - \x03A9\x03BC\x03AD\x03B3\x03B1 - \x97F3\x697D"},
      {longName, std::wstring(kMaxSafeFileNameLength, L'a')},
      {straddling, std::wstring(119, L'b')},
  };
  for (const auto& c : cases) {
    const std::wstring got = MakeSafeFileName(c.in);
    EXPECT_EQ(got, c.out) << "for a name of " << c.in.size() << " units, got one of " << got.size();
  }
}

}  // namespace
