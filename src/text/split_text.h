// Cutting a text at a delimiter.
#ifndef NESTWALK_TEXT_SPLIT_TEXT_H_
#define NESTWALK_TEXT_SPLIT_TEXT_H_

#include <string>
#include <string_view>
#include <vector>

namespace nestwalk {

// Appends the pieces of `text` between occurrences of `delimiter` to `pieces` and returns the
// number of entries `pieces` now holds. An empty text appends nothing; a delimiter at the end
// does not start an empty last piece; an empty delimiter cuts nowhere.
int SplitText(std::string_view text, std::string_view delimiter, std::vector<std::string>& pieces);

}  // namespace nestwalk

#endif  // NESTWALK_TEXT_SPLIT_TEXT_H_
