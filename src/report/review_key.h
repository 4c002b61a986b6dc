// How an account or a group of an earlier review is matched with one of this run (-since): by
// its name or DN as the CSV report writes it (a byte that is no UTF-8 and a control character as
// "\XX"), lower-cased. The CSV text of a DN, its JSON text and the directory's own bytes give one
// key, so reviews of either format compare with each other and with this run.
#ifndef NESTWALK_REPORT_REVIEW_KEY_H_
#define NESTWALK_REPORT_REVIEW_KEY_H_

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace nestwalk {

// The key of `text`, made in `key` (its memory reused: a review makes millions) and returned.
const std::string& MakeReviewKey(std::string_view text, std::string& key);

// The key of `lowerCased`, a text already lower-cased (a GroupDetailsMap key): `lowerCased`
// itself when it needs no escape, which is the usual case, else made in `key` as above.
std::string_view ReviewKeyOfLowerCased(std::string_view lowerCased, std::string& key);

// Hashes a key given as any text: maps of keys are searched without a copy of the key.
struct ReviewKeyHash {
  using is_transparent = void;
  std::size_t operator()(std::string_view key) const { return std::hash<std::string_view>()(key); }
};

}  // namespace nestwalk

#endif  // NESTWALK_REPORT_REVIEW_KEY_H_
