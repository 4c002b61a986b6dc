#include "platform/filter_escape.h"

namespace nestwalk::platform {

namespace {

constexpr char kHexDigits[] = "0123456789abcdef";

void AppendEscaped(std::string& out, unsigned char byte) {
  out.push_back('\\');
  out.push_back(kHexDigits[byte >> 4]);
  out.push_back(kHexDigits[byte & 0xf]);
}

}  // namespace

std::string EscapeFilterBytes(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() * 3);
  for (char c : bytes) AppendEscaped(out, static_cast<unsigned char>(c));
  return out;
}

std::string EscapeFilterValue(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    if (c == '*' || c == '(' || c == ')' || c == '\\' || c == '\0') {
      AppendEscaped(out, static_cast<unsigned char>(c));
    } else {
      out.push_back(c);
    }
  }
  return out;
}

}  // namespace nestwalk::platform
