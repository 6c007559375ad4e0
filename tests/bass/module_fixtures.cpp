#include "module_fixtures.h"

#include <cmath>
#include <cstdint>

namespace bass_test {

namespace {

constexpr int kCycle = 32;
constexpr int kBreakRow = 15;

std::string Text(const std::string& text, size_t size) {
  std::string field = text.substr(0, size);
  field.resize(size, '\0');
  return field;
}

std::string Le16(uint32_t v) { return {char(v & 0xFF), char((v >> 8) & 0xFF)}; }
std::string Le32(uint32_t v) { return Le16(v & 0xFFFF) + Le16(v >> 16); }
std::string Be16(uint32_t v) { return {char((v >> 8) & 0xFF), char(v & 0xFF)}; }

int8_t SineSample(int i) { return static_cast<int8_t>(std::lround(100 * std::sin(2 * 3.14159265358979323846 * i / kCycle))); }

void PadTo16(std::string& s) { s.resize((s.size() + 15) / 16 * 16, '\0'); }

}  // namespace

std::string MakeMod(const std::string& title) {
  std::string m = Text(title, 20);
  for (int i = 0; i < 31; ++i) {
    if (i == 0) m += Text("sine", 22) + Be16(kCycle / 2) + char(0) + char(64) + Be16(0) + Be16(kCycle / 2);
    else m += Text("", 22) + Be16(0) + char(0) + char(0) + Be16(0) + Be16(1);
  }
  m += char(1);
  m += char(127);
  m += std::string(128, '\0');
  m += "M.K.";
  for (int row = 0; row < 64; ++row) {
    for (int channel = 0; channel < 4; ++channel) {
      uint8_t cell[4] = {0, 0, 0, 0};
      if (channel == 0 && row == 0) {
        const int period = 428, sample = 1;
        cell[0] = static_cast<uint8_t>((sample & 0xF0) | (period >> 8));
        cell[1] = static_cast<uint8_t>(period & 0xFF);
        cell[2] = static_cast<uint8_t>((sample & 0x0F) << 4);
      } else if (channel == 0 && row == kBreakRow) {
        cell[2] = 0x0D;  // pattern break
      }
      m.append(reinterpret_cast<char*>(cell), 4);
    }
  }
  for (int i = 0; i < kCycle; ++i) m += static_cast<char>(SineSample(i));
  return m;
}

std::string MakeXm(const std::string& title) {
  std::string m = "Extended Module: " + Text(title, 20) + char(0x1A) + Text("Tavrin tests", 20) + Le16(0x0104);
  m += Le32(276) + Le16(1) + Le16(0) + Le16(2) + Le16(1) + Le16(1) + Le16(1) + Le16(6) + Le16(125);
  m += std::string(256, '\0');
  std::string rows;
  for (int row = 0; row < 64; ++row) {
    for (int channel = 0; channel < 2; ++channel) {
      if (channel == 0 && row == 0) rows += {char(49), char(1), 0, 0, 0};  // C-4, instrument 1
      else if (channel == 0 && row == kBreakRow) rows += {char(0x98), char(0x0D), 0};
      else rows += char(0x80);
    }
  }
  m += Le32(9) + char(0) + Le16(64) + Le16(static_cast<uint32_t>(rows.size())) + rows;
  std::string instrument = Text("sine", 22) + char(0) + Le16(1) + Le32(40);
  instrument += std::string(96 + 48 + 48, '\0');
  instrument += std::string(14, '\0');  // point counts, sustain and loop points, types, vibrato
  instrument += Le16(0) + std::string(22, '\0');
  m += Le32(static_cast<uint32_t>(4 + instrument.size())) + instrument;
  m += Le32(kCycle) + Le32(0) + Le32(kCycle) + char(64) + char(0) + char(1) + char(128) + char(0) + char(0) +
       Text("sine", 22);
  int8_t previous = 0;
  for (int i = 0; i < kCycle; ++i) {
    const int8_t v = SineSample(i);
    m += static_cast<char>(static_cast<int8_t>(v - previous));
    previous = v;
  }
  return m;
}

std::string MakeS3m(const std::string& title) {
  std::string m = Text(title, 28) + char(0x1A) + char(16) + Le16(0);
  m += Le16(2) + Le16(1) + Le16(1) + Le16(0) + Le16(0x1320) + Le16(2) + "SCRM";
  m += {char(64), char(6), char(125), char(0xB0), char(0), char(0)};
  m += std::string(8, '\0') + Le16(0);
  m += char(0) + std::string(31, char(0xFF));
  m += {char(0), char(0xFF)};  // orders: pattern 0, end
  const size_t instrumentPointer = m.size(), patternPointer = m.size() + 2;
  m += Le16(0) + Le16(0);
  PadTo16(m);

  const size_t instrument = m.size();
  m.replace(instrumentPointer, 2, Le16(static_cast<uint32_t>(instrument / 16)));
  m += std::string(80, '\0');
  PadTo16(m);
  const size_t sample = m.size();
  for (int i = 0; i < kCycle; ++i) m += static_cast<char>(SineSample(i) + 128);  // unsigned samples
  PadTo16(m);
  std::string header = char(1) + Text("sine.smp", 12) + char(0) + Le16(static_cast<uint32_t>(sample / 16));
  header += Le32(kCycle) + Le32(0) + Le32(kCycle) + char(64) + char(0) + char(0) + char(1) + Le32(8363);
  header += std::string(12, '\0') + Text("sine", 28) + "SCRS";
  m.replace(instrument, header.size(), header);

  const size_t pattern = m.size();
  m.replace(patternPointer, 2, Le16(static_cast<uint32_t>(pattern / 16)));
  std::string rows;
  for (int row = 0; row < 64; ++row) {
    if (row == 0) rows += {char(0x20), char(0x40), char(1)};  // C-4, instrument 1
    if (row == kBreakRow) rows += {char(0x80), char(3), char(0)};  // effect C: pattern break
    rows += char(0);
  }
  m += Le16(static_cast<uint32_t>(rows.size() + 2)) + rows;
  return m;
}

}  // namespace bass_test
