#include "formats/vorbis_comment.h"

#include <algorithm>
#include <cstdint>

namespace {

constexpr std::string_view kCommentHeader("\x03vorbis", 7);

bool ReadLength(std::string_view packet, size_t& pos, uint32_t& value) {
  if (packet.size() - pos < 4) return false;
  value = 0;
  for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<uint8_t>(packet[pos + i]);
  pos += 4;
  return true;
}

void AppendLength(std::string& out, size_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

}  // namespace

bool ParseVorbisComments(std::string_view Packet, TVorbisComments& Comments) {
  Comments = TVorbisComments();
  if (Packet.substr(0, kCommentHeader.size()) != kCommentHeader) return false;
  size_t pos = kCommentHeader.size();
  uint32_t length = 0;
  if (!ReadLength(Packet, pos, length) || length > Packet.size() - pos) return false;
  Comments.Vendor.assign(Packet.substr(pos, length));
  pos += length;
  Comments.End = pos;
  uint32_t count = 0;
  if (!ReadLength(Packet, pos, count)) return true;
  // Each item needs its 4-byte length at least, so a count the packet cannot
  // hold never drives a loop or an allocation.
  Comments.Items.reserve(std::min<size_t>(count, (Packet.size() - pos) / 4));
  for (uint32_t i = 0; i < count; ++i) {
    if (!ReadLength(Packet, pos, length) || length > Packet.size() - pos) return true;
    Comments.Items.emplace_back(Packet.substr(pos, length));
    pos += length;
    Comments.End = pos;
  }
  Comments.End = pos;
  Comments.Complete = true;
  return true;
}

std::string BuildVorbisComments(const std::string& Vendor, const std::vector<std::string>& Items,
                                std::string_view Tail) {
  std::string out(kCommentHeader);
  AppendLength(out, Vendor.size());
  out += Vendor;
  AppendLength(out, Items.size());
  for (const auto& item : Items) {
    AppendLength(out, item.size());
    out += item;
  }
  out += Tail;
  return out;
}

std::string VorbisCommentName(std::string_view Item) {
  const size_t eq = Item.find('=');
  if (eq == std::string_view::npos) return {};
  std::string name(Item.substr(0, eq));
  for (char& c : name)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return name;
}

std::string_view VorbisCommentValue(std::string_view Item) {
  const size_t eq = Item.find('=');
  return eq == std::string_view::npos ? std::string_view() : Item.substr(eq + 1);
}
