#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <limits>
#include <string>

#include "framework/exceptions.h"
#include "framework/streams.h"
#include "test_support.h"

using testing_support::ReadFileBytes;
using testing_support::TempDir;

using testing_support::MessageOf;

namespace {

constexpr int64_t kMaxInt64 = std::numeric_limits<int64_t>::max();

std::string Pattern(size_t size) {
  std::string s(size, '\0');
  for (size_t i = 0; i < size; ++i) s[i] = static_cast<char>(i * 7 + i / 251);
  return s;
}

std::string Content(TCustomMemoryStream& m) {
  return std::string(static_cast<const char*>(m.Memory()), static_cast<size_t>(m.Size()));
}

// A read-only block, the way resource streams are made.
class TFixedStream : public TCustomMemoryStream {
 public:
  explicit TFixedStream(const char* text) {
    SetPointer(const_cast<char*>(text), std::strlen(text));
  }
};

// Claims more than it holds, like a file truncated while being read.
class TShortStream : public TFixedStream {
 public:
  using TFixedStream::TFixedStream;
  int64_t Size() override { return 1000; }
};

}  // namespace

TEST(MemoryStream, WritesGrowAndReadBack) {
  TMemoryStream m;
  const std::string data = Pattern(100000);
  for (size_t i = 0; i < data.size(); i += 777) {
    m.WriteBuffer(data.data() + i, static_cast<int32_t>(std::min<size_t>(777, data.size() - i)));
  }
  EXPECT_EQ(m.Position(), 100000);
  EXPECT_EQ(Content(m), data);
  EXPECT_EQ(m.Capacity() % 8192, 0);
  m.SetPosition(0);
  std::string back(data.size(), '\0');
  m.ReadBuffer(back.data(), static_cast<int32_t>(back.size()));
  EXPECT_EQ(back, data);
  EXPECT_EQ(m.Read(back.data(), 10), 0);
}

TEST(MemoryStream, SeekRefusesNegativeTargetsAndAllowsPastTheEnd) {
  TMemoryStream m;
  m.WriteBuffer("0123456789", 10);
  using enum TSeekOrigin;
  struct {
    int64_t offset;
    TSeekOrigin origin;
    int64_t result, position;
  } cases[] = {{3, soBeginning, 3, 3}, {4, soCurrent, 7, 7},      {-2, soEnd, 8, 8},
               {-9, soCurrent, -1, 8}, {kMaxInt64, soEnd, -1, 8}, {14, soBeginning, 14, 14}};
  for (const auto& c : cases) {
    EXPECT_EQ(m.Seek(c.offset, c.origin), c.result) << c.offset;
    EXPECT_EQ(m.Position(), c.position) << c.offset;
  }
  char ch = 0;
  EXPECT_EQ(m.Read(&ch, 1), 0);
  m.WriteBuffer("X", 1);
  EXPECT_EQ(Content(m), std::string("0123456789\0\0\0\0X", 15));
}

TEST(MemoryStream, SetSizeKeepsContentAndRefusesTheImpossible) {
  TMemoryStream m;
  m.WriteBuffer("abcdef", 6);
  m.SetSize(3);
  EXPECT_EQ(m.Position(), 3);
  m.SetSize(20000);
  EXPECT_EQ(m.Position(), 3);
  EXPECT_EQ(Content(m), std::string("abc") + std::string(19997, '\0'));

  EXPECT_THROW(m.SetSize(-1), EStreamError);
  EXPECT_EQ(MessageOf<EStreamError>([&] { m.SetSize(int64_t{1} << 62); }),
            L"Out of memory while expanding memory stream");
  for (int64_t position : {int64_t{1} << 62, kMaxInt64 - 1}) {
    m.SetPosition(position);
    EXPECT_THROW(m.WriteBuffer("xyz", 3), EStreamError);
  }
  EXPECT_EQ(Content(m), std::string("abc") + std::string(19997, '\0'));
  m.Clear();
  EXPECT_EQ(m.Size() + m.Position(), 0);
  EXPECT_EQ(m.Memory(), nullptr);
}

TEST(Stream, ShortTransfersRaise) {
  TMemoryStream m;
  m.WriteBuffer("abc", 3);
  m.SetPosition(1);
  char buffer[8] = {};
  EXPECT_EQ(m.Read(buffer, 8), 2);
  m.SetPosition(1);
  EXPECT_EQ(MessageOf<EReadError>([&] { m.ReadBuffer(buffer, 3); }), L"Stream read error");
  EXPECT_THROW(m.ReadBuffer(buffer, -1), EReadError);

  TFixedStream fixed("hello");
  fixed.ReadBuffer(buffer, 5);
  EXPECT_EQ(std::string(buffer, 5), "hello");
  EXPECT_EQ(MessageOf<EWriteError>([&] { fixed.WriteBuffer("x", 1); }), L"Stream write error");
  EXPECT_THROW(fixed.SetSize(1), EStreamError);

  // A source that runs short leaves the memory stream empty, not half loaded.
  TShortStream liar("hello");
  EXPECT_THROW(m.LoadFromStream(&liar), EReadError);
  EXPECT_EQ(m.Size(), 0);
}

TEST(Stream, CopyFromWholeSourceOrCountedPart) {
  const std::string data = Pattern(200000);  // several copy buffers' worth
  TMemoryStream source, whole, part;
  source.WriteBuffer(data.data(), static_cast<int32_t>(data.size()));
  source.SetPosition(1234);
  EXPECT_EQ(whole.CopyFrom(&source, 0), 200000);
  EXPECT_EQ(Content(whole), data);

  source.SetPosition(199990);
  EXPECT_EQ(part.CopyFrom(&source, 10), 10);
  EXPECT_EQ(Content(part), data.substr(199990));
  source.SetPosition(199990);
  EXPECT_THROW(part.CopyFrom(&source, 11), EReadError);
}

TEST(HandleStream, SixtyFourBitPositionsAndSize) {
  TempDir dir;
  const std::wstring name = dir.File(L"big.bin");
  HANDLE handle = CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(handle, INVALID_HANDLE_VALUE);
  {
    THandleStream s(handle);
    s.WriteBuffer("header", 6);
    const int64_t big = (int64_t{1} << 32) + 16;
    s.SetSize(big);
    EXPECT_EQ(s.Size(), big);
    EXPECT_EQ(s.Position(), 6);
    s.SetPosition(big - 4);
    EXPECT_EQ(s.Position(), big - 4);
    char tail[8] = {1, 1, 1, 1};
    EXPECT_EQ(s.Read(tail, 8), 4);
    EXPECT_EQ(std::string(tail, 4), std::string(4, '\0'));
    EXPECT_EQ(s.Read(tail, 8), 0);

    s.SetSize(3);
    EXPECT_EQ(s.Position(), 3);
    EXPECT_EQ(s.Seek(-1, TSeekOrigin::soBeginning), -1);
    EXPECT_EQ(s.Position(), 3);
    EXPECT_THROW(s.SetSize(-1), EStreamError);
  }
  CloseHandle(handle);
  EXPECT_EQ(ReadFileBytes(name), "hea");

  THandleStream closed(nullptr);
  char ch = 0;
  EXPECT_EQ(closed.Read(&ch, 1) + closed.Write(&ch, 1), 0);
  EXPECT_EQ(closed.Size(), -1);
  EXPECT_THROW(closed.SetSize(1), EStreamError);
}

TEST(MemoryStream, LoadsAndSavesFilesNamingTheFileOnFailure) {
  TempDir dir;
  const std::string data = Pattern(70000);
  TMemoryStream m;
  m.LoadFromFile(dir.WriteFile(L"in.bin", data));
  EXPECT_EQ(m.Position(), 0);
  EXPECT_EQ(Content(m), data);
  m.SaveToFile(dir.File(L"out.bin"));
  EXPECT_EQ(ReadFileBytes(dir.File(L"out.bin")), data);

  const std::wstring missing = dir.File(L"missing.m3u");
  std::wstring message = MessageOf<EFOpenError>([&] { m.LoadFromFile(missing); });
  EXPECT_EQ(message.rfind(L"Cannot open file \"" + missing + L"\". ", 0), 0u)
      << WideToUtf8(message);
  EXPECT_GT(message.size(), missing.size() + 21) << "the system's reason is missing";
  const std::wstring unwritable = dir.File(L"no\\such\\folder.bin");
  message = MessageOf<EFCreateError>([&] { m.SaveToFile(unwritable); });
  EXPECT_EQ(message.rfind(L"Cannot create file \"" + unwritable + L"\". ", 0), 0u)
      << WideToUtf8(message);
  EXPECT_EQ(Content(m), data);
}
