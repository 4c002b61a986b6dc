// Reading back a review that -csv wrote, for -since: its rows undone exactly as csv_report.h
// writes them (RFC 4180 quoting, the single quote before a cell a spreadsheet would run); the
// "\XX" escapes are kept, since review keys are made of escaped text (review_key.h).
#ifndef NESTWALK_REPORT_EARLIER_CSV_REVIEW_H_
#define NESTWALK_REPORT_EARLIER_CSV_REVIEW_H_

#include <istream>
#include <string>
#include <string_view>

#include "report/earlier_review.h"

namespace nestwalk {

// Whether `firstLine` (its line end taken off) is the header of a -csv review.
bool IsCsvReviewHeader(std::string_view firstLine);

// Reads the rows after the header `firstLine` from `in` into `review` (unfinished). Returns why
// the rows are no review's, naming the line ("line 7 ends in the middle of a row: the file is cut
// short"); empty when every row was read.
std::string ReadCsvReview(std::istream& in, std::string_view firstLine, EarlierReview& review);

}  // namespace nestwalk

#endif  // NESTWALK_REPORT_EARLIER_CSV_REVIEW_H_
