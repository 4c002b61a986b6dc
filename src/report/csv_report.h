// The report as CSV rows (-csv), one per account and group: RFC 4180 (every line ended "\r\n", a
// field holding a comma or a quote quoted, its quotes doubled), UTF-8 throughout: a byte that is
// no UTF-8, or a control character, is written "\XX" (in a DN the DN's own escape of that byte).
// A field that begins with "=", "+", "-", "@", a tab or a CR, which a spreadsheet would run as a
// formula, begins with a single quote "'" before it instead (the -json report keeps the value).
#ifndef NESTWALK_REPORT_CSV_REPORT_H_
#define NESTWALK_REPORT_CSV_REPORT_H_

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "membership/group_details.h"
#include "report/membership_chains.h"
#include "report/membership_graph.h"
#include "report/token_estimate.h"

namespace nestwalk {

// What the groupName of an account's one row begins with when its reads fell short.
inline constexpr std::string_view kCsvIncompletePrefix = "INCOMPLETE: ";

// Which columns follow the six fixed ones: depth and via (the -path chain), tokenBytes.
struct CsvColumns {
  bool chains = false;
  bool token = false;
};

// Appends `value` as one field: escaped, its formula lead neutralised and quoted as it needs.
void AppendCsvField(std::string& rows, std::string_view value);

// "account,accountDn,groupDn,groupName,scope,kind", then the columns asked for.
std::string CsvHeader(CsvColumns columns);

struct CsvAccount {
  std::string name;     // domain\name, as the principal line shows it
  std::string samName;  // how a chain starts
  std::string dn;
  std::optional<TokenEstimate> token;  // nullopt: a group, which has no token
  // What of its reads fell short (ShortfallSummary); empty when nothing did.
  std::string shortfall = {};
};

// The chain to the group of `key` as -path shows it: its length and its text.
using CsvChainOf = std::function<std::pair<std::size_t, std::string>(const std::string& key)>;

// The rows of one account, appended to `rows` (which must outlive it): its fields, escaped once,
// open each row.
class CsvAccountRows {
 public:
  CsvAccountRows(std::string& rows, const CsvAccount& account, CsvColumns columns);

  // One row: `change` first when it is not empty (the column -since puts before a review's), the
  // account's fields, these, then the chain's when the columns have them and the token's.
  void Row(std::string_view change, std::string_view groupDn, std::string_view groupName,
           std::string_view scope, std::string_view kind, std::string_view depth,
           std::string_view via);
  // The row of `group`, its chain's length and text as CsvChainOf gives them ({0, ""}: none).
  void GroupRow(std::string_view change, const data& group,
                const std::pair<std::size_t, std::string>& chain);

 private:
  std::string& rows_;
  CsvColumns columns_;
  std::string opening_;
  std::string tokenBytes_;  // the token column with its comma; empty without it
};

// The chains of -path over `graph` and `chains` (which must outlive what it gives), each from
// `accountName`: its length and ChainText.
CsvChainOf CsvChainsOver(const MembershipGraph& graph, const MembershipChains& chains,
                         const std::string& accountName);

// Appends to `rows` a row for each group of `groups`, in key order; an account without groups
// gets one row with the group's fields empty, so that every account reported is there. An
// account whose reads fell short gets instead one row with an empty groupDn and the groupName
// "INCOMPLETE: <shortfall>": rows of a partial answer would read as a whole one.
// `chainOf` is asked only when `columns` has the chains.
void AppendCsvRows(std::string& rows, const CsvAccount& account, const GroupDetailsMap& groups,
                   CsvColumns columns, const CsvChainOf& chainOf);

// A cell read back as it was before the single quote that makes a formula text: "'@SUM(9)" is
// "@SUM(9)", "'\09x" a tab and x; any other cell as it is.
std::string_view UndoFormulaQuote(std::string_view cell);

}  // namespace nestwalk

#endif  // NESTWALK_REPORT_CSV_REPORT_H_
