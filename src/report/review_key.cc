#include "report/review_key.h"

#include "text/case_folding.h"
#include "text/utf8_escape.h"

namespace nestwalk {

namespace {

// Whether the review key of `text` is `text` lower-cased.
bool NeedsNoEscape(std::string_view text) {
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
