#include "text/json_writer.h"

#include "text/byte_scan.h"
#include "text/utf8_escape.h"

namespace nestwalk {

namespace {

bool NeedsJsonEscape(char c) {
  return static_cast<unsigned char>(c) < 0x20 || c == '"' || c == '\\';
}

void AppendEscapedCharacter(std::string& out, char c) {
  switch (c) {
    case '"':
      out += "\\\"";
      return;
    case '\\':
      out += "\\\\";
      return;
    case '\b':
      out += "\\b";
      return;
    case '\f':
      out += "\\f";
      return;
    case '\n':
      out += "\\n";
      return;
    case '\r':
      out += "\\r";
      return;
    case '\t':
      out += "\\t";
      return;
    default:
      break;
  }
  static constexpr char kHex[] = "0123456789abcdef";
  const auto byte = static_cast<unsigned char>(c);
  out += "\\u00";
  out += kHex[byte >> 4];
  out += kHex[byte & 0xF];
}

}  // namespace

void AppendQuotedJson(std::string& out, std::string_view text) {
  out += '"';
  // One pass over the usual text, plain ASCII; only other text is looked at again.
  auto inWord = [](byte_scan::Word word) {
    return (byte_scan::Below(word, 0x20) | byte_scan::High(word) | byte_scan::Holds(word, '"') |
            byte_scan::Holds(word, '\\')) != 0;
  };
  auto needsLook = [](char c) {
    return NeedsJsonEscape(c) || static_cast<unsigned char>(c) >= 0x80;
  };
  if (!byte_scan::AnyByte(text, inWord, needsLook)) {
    out += text;
  } else {
    std::string escaped;
    if (!IsWellFormedUtf8(text)) {
      escaped = EscapeInvalidUtf8(text);
      text = escaped;
    }
    for (const char c : text) {
      if (NeedsJsonEscape(c)) {
        AppendEscapedCharacter(out, c);
      } else {
        out += c;
      }
    }
  }
  out += '"';
}

}  // namespace nestwalk
