// An earlier output of nestwalk read back for -since, its format told by its first line: the
// header of a -csv review, or the start of a -json document.
#ifndef NESTWALK_REPORT_EARLIER_REVIEW_FILE_H_
#define NESTWALK_REPORT_EARLIER_REVIEW_FILE_H_

#include <istream>
#include <string>
#include <variant>

#include "report/earlier_review.h"

namespace nestwalk {

// The review `in` holds, finished; or why it holds none, in words that follow the file's name
// ("is cut short: line 7 ends in the middle of a row").
std::variant<EarlierReview, std::string> ReadEarlierReview(std::istream& in);

}  // namespace nestwalk

#endif  // NESTWALK_REPORT_EARLIER_REVIEW_FILE_H_
