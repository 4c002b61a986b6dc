// How an account or a group of an earlier review is matched with one of this run (-since): by
// its name or DN as the CSV report writes it (a byte that is no UTF-8 and a control character as
// "\XX"), lower-cased. The CSV text of a DN, its JSON text and the directory's own bytes give one
// key, so reviews of either format compare with each other and with this run.
#ifndef NESTWALK_REPORT_REVIEW_KEY_H_
#define NESTWALK_REPORT_REVIEW_KEY_H_

#include <string>
#include <string_view>

namespace nestwalk {

// The key of `text`, made in `key` (its memory reused: a review makes millions) and returned.
const std::string& MakeReviewKey(std::string_view text, std::string& key);

}  // namespace nestwalk

#endif  // NESTWALK_REPORT_REVIEW_KEY_H_
