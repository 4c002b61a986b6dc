#include "text/split_text.h"

namespace nestwalk {

int SplitText(std::string_view text, std::string_view delimiter, std::vector<std::string>& pieces) {
  if (text.empty()) return static_cast<int>(pieces.size());
  // An empty delimiter occurs everywhere; cutting at it would never advance.
  if (delimiter.empty()) {
    pieces.emplace_back(text);
    return static_cast<int>(pieces.size());
  }
  std::size_t start = 0;
  for (std::size_t at = text.find(delimiter); at != std::string_view::npos;
       at = text.find(delimiter, start)) {
    pieces.emplace_back(text.substr(start, at - start));
    start = at + delimiter.size();
  }
  // A trailing delimiter ends the last piece; it does not start an empty one.
  if (start < text.size()) pieces.emplace_back(text.substr(start));
  return static_cast<int>(pieces.size());
}

}  // namespace nestwalk
