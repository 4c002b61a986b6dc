#include "text/split_text.h"

namespace nestwalk {

int SplitText(std::string_view text, std::string_view delimiter, std::vector<std::string>& pieces) {
  if (text.empty()) return 0;
  // An empty delimiter occurs everywhere; cutting at it would never advance.
  if (delimiter.empty()) {
    pieces.emplace_back(text);
    return static_cast<int>(pieces.size());
  }
  std::string working(text);
  // Only two characters are compared: with a one-character delimiter every text then ends
  // with exactly one delimiter, so its last piece is cut like the others.
  if (working.back() != delimiter.front()) working.append(delimiter);
  std::size_t start = 0;
  for (std::size_t at = working.find(delimiter); at != std::string::npos;
       at = working.find(delimiter, start)) {
    pieces.push_back(working.substr(start, at - start));
    start = at + delimiter.size();
  }
  if (start < working.size()) pieces.push_back(working.substr(start));
  return static_cast<int>(pieces.size());
}

}  // namespace nestwalk
