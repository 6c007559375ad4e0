// File sources read through a cache of a block: whatever the order and size
// of the reads, they give the file's bytes within their window.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "bass/core/byte_source.h"
#include "test_support.h"

using namespace bass_core;

namespace {

TEST(FileSource, ReadsOfAnySizeAndOrderGiveTheWindowsBytes) {
  testing_support::TempDir dir;
  std::string bytes(700000, '\0');  // more than two cache blocks
  uint32_t seed = 7;
  for (char& c : bytes) c = static_cast<char>((seed = seed * 1664525 + 1013904223) >> 24);
  const std::wstring name = dir.WriteFile(L"bytes.bin", bytes);
  const struct {
    uint64_t offset, length;
  } windows[] = {{0, 0}, {1000, 0}, {333, 500000}, {800000, 0}};
  for (const auto& w : windows) {
    SCOPED_TRACE(testing::Message() << "window at " << w.offset << " of " << w.length);
    const std::string window =
        bytes.substr(std::min<size_t>(w.offset, bytes.size()), w.length ? w.length : std::string::npos);
    auto source = OpenFileSource(name, w.offset, w.length);
    ASSERT_TRUE(source);
    ASSERT_EQ(source->Size(), window.size());
    // Small steps forward over block edges, jumps back, reads running off
    // the cached block and the end, and reads larger than a block.
    std::vector<std::pair<uint64_t, size_t>> reads;
    for (uint64_t at = 0; at < window.size() + 5000; at += 2048) reads.push_back({at, 2048});
    for (uint64_t at = window.size(); at > 4096; at /= 3) reads.push_back({at - 4096, 3000});
    reads.insert(reads.end(), {{0, 300000}, {262100, 100}, {5, 1}, {262143, 2}, {100, 600000},
                               {window.size(), 1}, {uint64_t{1} << 40, 10}});
    for (int i = 0; i < 300; ++i) {
      seed = seed * 1664525 + 1013904223;
      reads.push_back({seed % (window.size() + 1), (seed >> 8) % 70000});
    }
    std::string got;
    for (const auto& [at, count] : reads) {
      got.assign(count, '\0');
      got.resize(source->ReadAt(at, got.data(), count));
      ASSERT_TRUE(got == window.substr(std::min<size_t>(at, window.size()), count)) << at << " + " << count;
    }
  }
}

}  // namespace
