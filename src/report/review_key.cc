#include "report/review_key.h"

#include "text/byte_scan.h"
#include "text/case_folding.h"
#include "text/utf8_escape.h"

namespace nestwalk {

namespace {

// Whether the review key of `text` is `text` lower-cased: printable ASCII, looked at eight bytes
// at a time, or else well-formed UTF-8 without control characters.
bool NeedsNoEscape(std::string_view text) {
  auto inWord = [](byte_scan::Word word) {
    return (byte_scan::Below(word, 0x20) | byte_scan::High(word) | byte_scan::Holds(word, 0x7F)) !=
           0;
  };
  auto notPrintable = [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte >= 0x7F;
  };
  if (!byte_scan::AnyByte(text, inWord, notPrintable)) return true;
  return IsWellFormedUtf8(text) && !HoldsControlCharacters(text, /*keepLayout=*/false);
}

}  // namespace

const std::string& MakeReviewKey(std::string_view text, std::string& key) {
  if (NeedsNoEscape(text)) {
    key.assign(text);
  } else {
    key = EscapeControlCharacters(EscapeInvalidUtf8(text), /*keepLayout=*/false);
  }
  LowerCaseInPlace(key);
  return key;
}

std::string_view ReviewKeyOfLowerCased(std::string_view lowerCased, std::string& key) {
  if (NeedsNoEscape(lowerCased)) return lowerCased;
  return MakeReviewKey(lowerCased, key);
}

}  // namespace nestwalk
