#include "text/utf8_escape.h"

#include <cstddef>

#include "text/byte_scan.h"

namespace nestwalk {

namespace {

// A control character (0x00 to 0x1F, 0x7F) that is written escaped: line ends and tabs are
// kept when `keepLayout`.
bool IsEscapedControl(char c, bool keepLayout) {
  const auto byte = static_cast<unsigned char>(c);
  return (byte < 0x20 || byte == 0x7F) && !(keepLayout && (c == '\n' || c == '\t'));
}

// The length of the well-formed sequence at the start of `rest`, or 0.
std::size_t SequenceLength(std::string_view rest) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(rest[i]); };
  const unsigned char lead = byte(0);
  if (lead < 0x80) return 1;
  std::size_t length = 0;
  unsigned char low = 0x80;
  unsigned char high = 0xBF;  // the range of the first continuation byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;   // overlong
    if (lead == 0xED) high = 0x9F;  // surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;   // overlong
    if (lead == 0xF4) high = 0x8F;  // above U+10FFFF
  } else {
    return 0;
  }
  if (rest.size() < length || byte(1) < low || byte(1) > high) return 0;
  for (std::size_t i = 2; i < length; ++i) {
    if (byte(i) < 0x80 || byte(i) > 0xBF) return 0;
  }
  return length;
}

void AppendEscaped(std::string& escaped, unsigned char byte) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  escaped += '\\';
  escaped += kHex[byte >> 4];
  escaped += kHex[byte & 0xF];
}

}  // namespace

std::string EscapeInvalidUtf8(std::string_view text) {
  std::string escaped;
  escaped.reserve(text.size());
  while (!text.empty()) {
    std::size_t length = SequenceLength(text);
    if (length == 0) {
      AppendEscaped(escaped, static_cast<unsigned char>(text.front()));
      length = 1;
    } else {
      escaped.append(text.substr(0, length));
    }
    text.remove_prefix(length);
  }
  return escaped;
}

bool IsWellFormedUtf8(std::string_view text) {
  auto high = [](char c) { return static_cast<unsigned char>(c) >= 0x80; };
  auto highInWord = [](byte_scan::Word word) { return byte_scan::High(word) != 0; };
  if (!byte_scan::AnyByte(text, highInWord, high)) return true;
  while (!text.empty()) {
    const std::size_t length = SequenceLength(text);
    if (length == 0) return false;
    text.remove_prefix(length);
  }
  return true;
}

std::string EscapeControlCharacters(std::string_view text, bool keepLayout) {
  std::string escaped;
  escaped.reserve(text.size());
  for (const char c : text) {
    if (IsEscapedControl(c, keepLayout)) {
      AppendEscaped(escaped, static_cast<unsigned char>(c));
    } else {
      escaped += c;
    }
  }
  return escaped;
}

bool HoldsControlCharacters(std::string_view text, bool keepLayout) {
  auto inWord = [](byte_scan::Word word) {
    return (byte_scan::Below(word, 0x20) | byte_scan::Holds(word, 0x7F)) != 0;
  };
  return byte_scan::AnyByte(text, inWord, [keepLayout](char c) {
    return IsEscapedControl(c, keepLayout);
  });
}

}  // namespace nestwalk
