#include "playlist/text_sorter.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "foundation/tnt_system.h"

namespace {

std::vector<std::wstring> ByCompareStringW(std::vector<std::wstring> texts) {
  std::stable_sort(texts.begin(), texts.end(), [](const std::wstring& a, const std::wstring& b) {
    return CompareStringW(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, a.c_str(), -1, b.c_str(), -1) ==
           CSTR_LESS_THAN;
  });
  return texts;
}

std::vector<std::wstring> BySorter(TTextSorter& sorter, const std::vector<std::wstring>& texts) {
  std::vector<uint32_t> order;
  EXPECT_TRUE(sorter.Sort(static_cast<uint32_t>(texts.size()),
                          [&](uint32_t i) -> const std::wstring& { return texts[i]; }, order));
  std::vector<std::wstring> sorted;
  for (uint32_t i : order) sorted.push_back(texts[i]);
  return sorted;
}

std::string Dump(const std::vector<std::wstring>& texts) {
  std::string out;
  for (const auto& t : texts) out += "[" + WideStringToUTF8(t) + "] ";
  return out;
}

TEST(TextSorter, OrdersExactlyAsAStableSortByCompareStringW) {
  std::vector<std::wstring> texts = {
      L"abc", L"ABC", L"a-b", L"ab", L"a'b", L"co-op", L"coop", L"co op", L"caf\u00e9",
      L"cafe", L"Caf\u00c9", L"Zebra", L"zebra", L"\u00e9clair", L"eclair", L"\u6771\u4eac",
      L"\u4eac\u6771", L"\u0416\u0438\u0437\u043d\u044c", L"\u0436\u0438\u0437\u043d\u044c", L"",
      L" ", L"-", L"--a", L"a b", L"a  b", L"1", L"10", L"9", L"a\u0301", L"\u00e6", L"ae",
      L"\u00df", L"ss", L"\ufb01", L"fi", L"\U0001F3B5 note", L"note", L"x", L"ch", L"h",
      L"aa", L"\u00e5", L"Artist - Title", L"Artist-Title", L"Artist Title", L"abc",
      std::wstring(L"x\0y", 3), L"x", L"\u3042", L"\u30a2", L"~", L"!", L"Ab", L"aB"};
  // And random texts over an alphabet of letters, case, accents, ignored
  // punctuation, spaces and other scripts.
  const std::wstring alphabet = L"aAbB-' \u00e9\u00c9e\u6771\u0416\u0436.1";
  std::mt19937 random(7);
  for (int i = 0; i < 400; ++i) {
    std::wstring t;
    for (int n = random() % 7; n > 0; --n) t += alphabet[random() % alphabet.size()];
    texts.push_back(t);
  }
  TTextSorter sorter;
  const auto expected = ByCompareStringW(texts);
  EXPECT_EQ(BySorter(sorter, texts), expected) << Dump(expected);
  // A second sort with the weights already learnt, in another starting order.
  std::reverse(texts.begin(), texts.end());
  EXPECT_EQ(BySorter(sorter, texts), ByCompareStringW(texts));
}

TEST(TextSorter, ManyDistinctCharactersAndLongSharedPrefixes) {
  // More different weights than one byte can rank, and prefixes longer than
  // many sort passes.
  std::vector<std::wstring> texts;
  const std::wstring prefix(300, L'p');
  for (wchar_t c = 0x4e00; c < 0x4e00 + 400; ++c) texts.push_back(prefix + c + std::wstring(1, c));
  for (wchar_t c = L'a'; c <= L'z'; ++c) texts.push_back(prefix + c);
  texts.push_back(prefix);
  texts.push_back(prefix);
  std::shuffle(texts.begin(), texts.end(), std::mt19937(3));
  TTextSorter sorter;
  EXPECT_EQ(BySorter(sorter, texts), ByCompareStringW(texts));
}

}  // namespace
