#include "report/review_key.h"

#include "text/case_folding.h"
#include "text/utf8_escape.h"

namespace nestwalk {

const std::string& MakeReviewKey(std::string_view text, std::string& key) {
  if (IsWellFormedUtf8(text) && !HoldsControlCharacters(text, /*keepLayout=*/false)) {
    key.assign(text);
  } else {
    key = EscapeControlCharacters(EscapeInvalidUtf8(text), /*keepLayout=*/false);
  }
  LowerCaseInPlace(key);
  return key;
}

}  // namespace nestwalk
