// Splits what the program wrote to standard output into the principal line, the report
// heading and the report lines "  [label] [account] DN".
#ifndef NESTWALK_TESTS_E2E_SUPPORT_REPORT_READER_H_
#define NESTWALK_TESTS_E2E_SUPPORT_REPORT_READER_H_

#include <string>
#include <string_view>
#include <vector>

namespace nestwalk::e2e {

struct ReportLine {
  std::string label;
  std::string samAccountName;
  std::string dn;
};

struct Report {
  std::vector<std::string> principalLines;  // "Security Principal: ..." lines, without "\n"
  int headings = 0;                         // "Group Memberships:" lines
  std::vector<ReportLine> groups;           // in the order written
  std::vector<std::string> otherLines;      // debug traces and anything unexpected
};

Report ReadReport(std::string_view out);

}  // namespace nestwalk::e2e

#endif  // NESTWALK_TESTS_E2E_SUPPORT_REPORT_READER_H_
