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
#include "report/token_estimate.h"

namespace nestwalk {

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

// Appends to `rows` a row for each group of `groups`, in key order; an account without groups
// gets one row with the group's fields empty, so that every account reported is there. An
// account whose reads fell short gets instead one row with an empty groupDn and the groupName
// "INCOMPLETE: <shortfall>": rows of a partial answer would read as a whole one.
// `chainOf` is asked only when `columns` has the chains.
void AppendCsvRows(std::string& rows, const CsvAccount& account, const GroupDetailsMap& groups,
                   CsvColumns columns, const CsvChainOf& chainOf);

}  // namespace nestwalk

#endif  // NESTWALK_REPORT_CSV_REPORT_H_
