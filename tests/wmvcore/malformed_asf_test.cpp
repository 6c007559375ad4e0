// Damaged ASF headers: the editor refuses them or reads them within their
// bounds; it never crashes, hangs or writes a broken file.
#include <nserror.h>

#include <gtest/gtest.h>

#include "asf_bytes.h"
#include "test_support.h"

namespace {

using namespace asf_bytes;
using testing_support::ReadFileBytes;
using testing_support::TempDir;

std::string WithHeaderSize(std::string file, uint64_t size) { return file.replace(16, 8, LE(size, 8)); }

TEST(MalformedAsf, DamagedHeadersAreRefused) {
  const std::string good = Tagged();
  const std::string cdFieldTooLong = File({Id(kContent) + LE(34, 8) + LE(500, 2) + std::string(8, '\0')});
  const std::string ecdCountTooLarge = File({Object(kExtended, LE(60000, 2) + LE(4, 2) + W(L"A"))});
  const std::string ecdNameTooLong = File({Object(kExtended, LE(1, 2) + LE(900, 2) + W(L"A"))});
  const std::string objectOverruns = File({Id(kOther) + LE(100000, 8)});
  const std::string objectTooSmall = File({Id(kOther) + LE(3, 8)});
  std::string propertiesTooShort = File({});
  propertiesTooShort.replace(30 + 16, 8, LE(60, 8));
  const struct {
    const char* what;
    std::string file;
  } cases[] = {
      {"empty", ""},
      {"not ASF", std::string(2000, 'x')},
      {"header shorter than its head", good.substr(0, 20)},
      {"header size past the file", WithHeaderSize(good, good.size() + 1)},
      {"header size below 30", WithHeaderSize(good, 12)},
      {"header cut", good.substr(0, 200)},
      {"content field longer than its object", cdFieldTooLong},
      {"more descriptors than the object holds", ecdCountTooLarge},
      {"descriptor name past its object", ecdNameTooLong},
      {"object past the header", objectOverruns},
      {"object smaller than its head", objectTooSmall},
      {"file properties cut short", propertiesTooShort},
  };
  TempDir dir;
  for (const auto& c : cases) {
    const std::wstring name = dir.WriteFile(L"a.wma", c.file);
    Editor e;
    ASSERT_TRUE(e.Ready());
    EXPECT_TRUE(FAILED(e->Open(name.c_str()))) << c.what;
    WORD count;
    EXPECT_EQ(e.Info().GetAttributeCount(0, &count), NS_E_INVALID_REQUEST) << c.what;
  }
  Editor e;
  EXPECT_TRUE(FAILED(e->Open(dir.File(L"missing.wma").c_str())));
  EXPECT_EQ(e->Open(nullptr), E_INVALIDARG);
}

TEST(MalformedAsf, RandomDamageNeverBreaksTheFile) {
  const std::string good = Tagged();
  const size_t headerSize = *reinterpret_cast<const uint64_t*>(good.data() + 16);
  TempDir dir;
  const std::wstring name = dir.File(L"a.wma");
  uint32_t seed = 777;
  int opened = 0;
  for (int i = 0; i < 300; ++i) {
    std::string damaged = good;
    for (int flips = 0; flips < 3; ++flips) {
      seed = seed * 1103515245 + 12345;
      damaged[(seed >> 8) % headerSize] = static_cast<char>(seed >> 24);
    }
    dir.WriteFile(L"a.wma", damaged);
    Editor e;
    if (FAILED(e->Open(name.c_str()))) continue;
    ++opened;
    const auto all = ReadAll(e.Info());
    const std::string text = W(L"Changed");
    WORD index = 0;
    if (FAILED(e.Info().AddAttribute(0, L"Fuzz", &index, WMT_TYPE_STRING, 0,
                                     reinterpret_cast<const BYTE*>(text.data()), 16)))
      continue;
    if (FAILED(e->Flush())) {
      EXPECT_EQ(ReadFileBytes(name), damaged);
      continue;
    }
    Editor again;
    ASSERT_EQ(again->Open(name.c_str()), S_OK) << "iteration " << i;
    EXPECT_EQ(ReadAll(again.Info()).size(), all.size() + 1) << "iteration " << i;
  }
  EXPECT_GT(opened, 0);
}

}  // namespace
