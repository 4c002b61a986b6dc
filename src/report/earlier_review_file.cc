#include "report/earlier_review_file.h"

#include <utility>

#include "report/earlier_csv_review.h"
#include "report/earlier_json_review.h"

namespace nestwalk {

std::variant<EarlierReview, std::string> ReadEarlierReview(std::istream& in) {
  std::string firstLine;
  if (!std::getline(in, firstLine)) {
    return std::string(in.bad() ? "could not be read" : "is empty, no earlier output of nestwalk");
  }
  if (!firstLine.empty() && firstLine.back() == '\r') firstLine.pop_back();
  EarlierReview review;
  std::string problem;
  if (IsCsvReviewHeader(firstLine)) {
    problem = ReadCsvReview(in, firstLine, review);
  } else if (IsJsonReportStart(firstLine)) {
    problem = ReadJsonReview(in, firstLine, review);
  } else if (firstLine.starts_with("change,") || firstLine.starts_with("{\"change\":")) {
    return std::string("lists the changes of a -since run: compare with a review itself");
  } else {
    return std::string(
        "is no earlier output of nestwalk: its first line is neither the header of a -csv review "
        "nor the start of a -json document");
  }
  if (!problem.empty()) return "is no whole review of nestwalk: " + problem;
  review.Finish();
  return review;
}

}  // namespace nestwalk
