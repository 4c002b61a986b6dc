#include "text/case_folding.h"

namespace nestwalk {

void LowerCaseInPlace(std::string& text) {
  for (char& c : text) {
    // Byte ranges, not the locale: bytes above 0x7F belong to the code page and stay as they are.
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
}

std::string LowerCaseText(std::string_view text) {
  std::string folded(text);
  LowerCaseInPlace(folded);
  return folded;
}

std::string UpperCaseText(std::string_view text) {
  std::string folded(text);
  for (char& c : folded) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return folded;
}

}  // namespace nestwalk
