// Cutting a text at a delimiter.
#ifndef NESTWALK_TEXT_SPLIT_TEXT_H_
#define NESTWALK_TEXT_SPLIT_TEXT_H_

#include <string>
#include <string_view>
#include <vector>

namespace nestwalk {

// Appends the pieces of `text` between occurrences of `delimiter` to `pieces` and returns the
// number of entries `pieces` now holds. An empty text appends nothing and returns 0, whatever
// `pieces` held. Unless the text's last character is the delimiter's first, the text is cut
// as if it ended with the delimiter; what follows the last delimiter is appended only when it
// is not empty. An empty delimiter cuts nowhere: the text is one piece.
int SplitText(std::string_view text, std::string_view delimiter, std::vector<std::string>& pieces);

}  // namespace nestwalk

#endif  // NESTWALK_TEXT_SPLIT_TEXT_H_
