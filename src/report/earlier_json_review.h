// Reading back what -json wrote, for -since: JSON Lines of a review, or the indented document of
// a run of one account (several of them one after another, too). Only what a comparison needs is
// taken: each account's name and DN, its groups' DN, name, scope and kind, and "complete".
#ifndef NESTWALK_REPORT_EARLIER_JSON_REVIEW_H_
#define NESTWALK_REPORT_EARLIER_JSON_REVIEW_H_

#include <istream>
#include <string>
#include <string_view>

#include "report/earlier_review.h"

namespace nestwalk {

// Whether `firstLine` (its line end taken off) starts a document of -json: "{" alone (indented)
// or a whole document on one line.
bool IsJsonReportStart(std::string_view firstLine);

// Reads the documents that begin with `firstLine` from `in` into `review` (unfinished), without
// a tree of any. Returns why they are no reports of -json, naming the line ("line 3: ..."); empty
// when every document was read whole.
std::string ReadJsonReview(std::istream& in, std::string_view firstLine, EarlierReview& review);

}  // namespace nestwalk

#endif  // NESTWALK_REPORT_EARLIER_JSON_REVIEW_H_
