// -since FILE: in place of each account's report, what changed against the earlier review FILE
// (its groups gained and lost, or why it was not compared); after the last account, FILE's
// accounts this run did not report, then a closing line on standard error.
#ifndef NESTWALK_DRIVER_SINCE_REPORT_H_
#define NESTWALK_DRIVER_SINCE_REPORT_H_

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "cmdline/run_settings.h"
#include "driver/security_principal.h"
#include "membership/account_lookup.h"
#include "membership/group_details.h"
#include "platform/console.h"
#include "report/earlier_review.h"
#include "report/json_report.h"
#include "report/review_comparison.h"

namespace nestwalk {

// The earlier review `settings.sinceFile`; nullopt after an error line when it cannot be read or
// is no earlier output of the program (-csv review, -json).
std::optional<EarlierReview> LoadEarlierReview(Console& console, const RunSettings& settings);

class SinceReport {
 public:
  // `settings` must outlive the report.
  SinceReport(const RunSettings& settings, EarlierReview earlier);
  // The comparison views the review held here.
  SinceReport(const SinceReport&) = delete;
  SinceReport& operator=(const SinceReport&) = delete;

  // The run asks for the account: if FILE has it and it is never reported, it is named as not
  // compared, not as gone.
  void Asked(const SecurityPrincipal& principal);
  // The account's changes, if it has any, or why it was not compared, on standard output.
  void Write(Console& console, const SecurityPrincipal& principal, const AccountObject& account,
             const GroupDetailsMap& groups);
  // After the last account: FILE's accounts that were not reported, then the closing line
  // "Since FILE: <n> accounts compared, <m> with changes (<a> groups added, <r> removed); <x>
  // new, <y> gone, <z> not compared" on standard error.
  void Finish(Console& console);

 private:
  enum class Seen { kNo, kAsked, kReported };

  // Sorts the account into `changes_` (its change and reason, and for one compared its groups
  // gained and lost) and counts it.
  void Classify(const SecurityPrincipal& principal, const GroupDetailsMap& groups);
  // An account of FILE alone, `index`, its change and reason in `changes_`.
  void WriteEarlier(Console& console, std::size_t index);
  // Between two text blocks, a blank line.
  void SeparateBlock(Console& console);

  const RunSettings& settings_;
  EarlierReview earlier_;
  ReviewComparison comparison_;
  std::vector<Seen> seen_;  // of each account of FILE
  AccountChanges changes_;  // of the account being written, its memory reused
  std::string document_;    // its lines, rows or document, likewise
  std::string key_;         // a review key being made, likewise
  JsonGroups jsonGroups_;   // the groups gained, as JSON, likewise
  std::size_t blocks_ = 0;  // text blocks written
  std::size_t compared_ = 0;
  std::size_t changed_ = 0;
  std::size_t groupsAdded_ = 0;
  std::size_t groupsRemoved_ = 0;
  std::size_t added_ = 0;
  std::size_t removed_ = 0;
  std::size_t notCompared_ = 0;
};

}  // namespace nestwalk

#endif  // NESTWALK_DRIVER_SINCE_REPORT_H_
