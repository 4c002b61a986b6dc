#include "text/case_folding.h"

#include <cstddef>
#include <cstring>

#include "text/byte_scan.h"

namespace nestwalk {

void LowerCaseInPlace(std::string& text) {
  // Byte ranges, not the locale: bytes above 0x7F belong to the code page and stay as they are.
  // Eight bytes at a time: a review folds millions of DNs.
  using byte_scan::Word;
  std::size_t at = 0;
  for (; at + sizeof(Word) <= text.size(); at += sizeof(Word)) {
    Word word;
    std::memcpy(&word, text.data() + at, sizeof word);
    // Per byte below 0x80, the high bit of: at least 'A', above 'Z'.
    const Word low = word & ~byte_scan::kHighs;
    const Word fromA = low + byte_scan::kOnes * (0x80 - 'A');
    const Word pastZ = low + byte_scan::kOnes * (0x80 - 'Z' - 1);
    const Word upper = fromA & ~pastZ & ~word & byte_scan::kHighs;
    word |= upper >> 2;  // 0x80 >> 2 is 0x20, the case bit
    std::memcpy(text.data() + at, &word, sizeof word);
  }
  for (; at < text.size(); ++at) {
    char& c = text[at];
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
