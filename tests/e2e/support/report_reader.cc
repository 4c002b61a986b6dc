#include "support/report_reader.h"

#include <optional>

namespace nestwalk::e2e {
namespace {

std::optional<ReportLine> ParseGroupLine(std::string_view line) {
  constexpr std::string_view kOpen = "  [";
  if (line.substr(0, kOpen.size()) != kOpen) return std::nullopt;
  const size_t label_end = line.find("] [", kOpen.size());
  if (label_end == std::string_view::npos) return std::nullopt;
  const size_t name_start = label_end + 3;
  const size_t name_end = line.find("] ", name_start);
  if (name_end == std::string_view::npos) return std::nullopt;
  return ReportLine{std::string(line.substr(kOpen.size(), label_end - kOpen.size())),
                    std::string(line.substr(name_start, name_end - name_start)),
                    std::string(line.substr(name_end + 2))};
}

}  // namespace

Report ReadReport(std::string_view out) {
  Report report;
  size_t start = 0;
  while (start < out.size()) {
    size_t end = out.find('\n', start);
    if (end == std::string_view::npos) end = out.size();
    const std::string_view line = out.substr(start, end - start);
    start = end + 1;
    if (line.rfind("Security Principal: ", 0) == 0) {
      report.principalLines.emplace_back(line);
    } else if (line == "Group Memberships:") {
      ++report.headings;
    } else if (std::optional<ReportLine> group = ParseGroupLine(line)) {
      report.groups.push_back(*group);
    } else {
      report.otherLines.emplace_back(line);
    }
  }
  return report;
}

}  // namespace nestwalk::e2e
