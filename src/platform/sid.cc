#include "platform/sid.h"

#include <cstdint>
#include <vector>

namespace nestwalk::platform {

namespace {

constexpr std::uint64_t kAuthorityLimit = std::uint64_t{1} << 48;
constexpr std::uint64_t kSubAuthorityMax = 0xffffffffu;
constexpr std::size_t kMaxSubAuthorities = 15;
constexpr std::size_t kHeaderSize = 8;

int DigitValue(char c, int base) {
  int value = -1;
  if (c >= '0' && c <= '9') value = c - '0';
  if (c >= 'a' && c <= 'f') value = c - 'a' + 10;
  if (c >= 'A' && c <= 'F') value = c - 'A' + 10;
  return value < base ? value : -1;
}

// One dash-separated field: decimal, or "0x" and hex digits. Values beyond `limit` are
// rejected as they are read, so no field can overflow.
std::optional<std::uint64_t> ParseField(std::string_view field, std::uint64_t limit) {
  int base = 10;
  if (field.size() > 2 && field[0] == '0' && (field[1] == 'x' || field[1] == 'X')) {
    base = 16;
    field.remove_prefix(2);
  }
  if (field.empty()) return std::nullopt;
  std::uint64_t value = 0;
  for (char c : field) {
    int digit = DigitValue(c, base);
    if (digit < 0) return std::nullopt;
    value = value * base + static_cast<unsigned>(digit);
    if (value > limit) return std::nullopt;
  }
  return value;
}

std::vector<std::string_view> SplitOnDashes(std::string_view text) {
  std::vector<std::string_view> fields;
  while (true) {
    std::size_t dash = text.find('-');
    fields.push_back(text.substr(0, dash));
    if (dash == std::string_view::npos) return fields;
    text.remove_prefix(dash + 1);
  }
}

}  // namespace

std::optional<std::string> SidFromText(std::string_view text) {
  if (text.size() < 2 || (text[0] != 'S' && text[0] != 's') || text[1] != '-') {
    return std::nullopt;
  }
  std::vector<std::string_view> fields = SplitOnDashes(text.substr(2));
  // revision, authority, then 1 to 15 sub-authorities
  if (fields.size() < 3 || fields.size() > 2 + kMaxSubAuthorities) return std::nullopt;
  std::optional<std::uint64_t> revision = ParseField(fields[0], kSubAuthorityMax);
  std::optional<std::uint64_t> authority = ParseField(fields[1], kAuthorityLimit - 1);
  if (!revision || *revision != 1 || !authority) return std::nullopt;

  std::string binary;
  binary.push_back(1);
  binary.push_back(static_cast<char>(fields.size() - 2));
  for (int shift = 40; shift >= 0; shift -= 8) {
    binary.push_back(static_cast<char>((*authority >> shift) & 0xff));
  }
  for (std::size_t i = 2; i < fields.size(); ++i) {
    std::optional<std::uint64_t> sub = ParseField(fields[i], kSubAuthorityMax);
    if (!sub) return std::nullopt;
    for (int shift = 0; shift < 32; shift += 8) {
      binary.push_back(static_cast<char>((*sub >> shift) & 0xff));
    }
  }
  return binary;
}

std::optional<std::string> SidToText(std::string_view binary) {
  if (binary.size() < kHeaderSize) return std::nullopt;
  auto byte = [&](std::size_t i) {
    return static_cast<std::uint64_t>(static_cast<unsigned char>(binary[i]));
  };
  std::size_t count = byte(1);
  if (byte(0) != 1 || count > kMaxSubAuthorities || binary.size() != kHeaderSize + 4 * count) {
    return std::nullopt;
  }
  std::uint64_t authority = 0;
  for (std::size_t i = 2; i < kHeaderSize; ++i) authority = (authority << 8) | byte(i);

  std::string text = "S-1-";
  if (authority <= kSubAuthorityMax) {
    text += std::to_string(authority);
  } else {
    static constexpr char kHexDigits[] = "0123456789abcdef";
    text += "0x";
    for (std::size_t i = 2; i < kHeaderSize; ++i) {
      text.push_back(kHexDigits[byte(i) >> 4]);
      text.push_back(kHexDigits[byte(i) & 0xf]);
    }
  }
  for (std::size_t n = 0; n < count; ++n) {
    std::size_t at = kHeaderSize + 4 * n;
    std::uint64_t sub = byte(at) | byte(at + 1) << 8 | byte(at + 2) << 16 | byte(at + 3) << 24;
    text.push_back('-');
    text += std::to_string(sub);
  }
  return text;
}

}  // namespace nestwalk::platform
