#include "membership/csv_report.h"

#include <algorithm>
#include <string_view>

#include "membership/group_type.h"
#include "text/utf8_escape.h"

namespace nestwalk {

namespace {

// Whether `value` needs no escape: printable ASCII only.
bool Printable(std::string_view value) {
  return std::ranges::all_of(value, [](char c) { return c >= 0x20 && c < 0x7F; });
}

void AppendField(std::string& row, std::string_view value) {
  if (!row.empty() && row.back() != '\n') row += ',';
  std::string escaped;
  if (!Printable(value)) {
    escaped = EscapeControlCharacters(EscapeInvalidUtf8(value), /*keepLayout=*/false);
    value = escaped;
  }
  if (value.find_first_of(",\"") == std::string_view::npos) {
    row += value;
    return;
  }
  row += '"';
  for (const char c : value) {
    if (c == '"') row += '"';
    row += c;
  }
  row += '"';
}

}  // namespace

std::string CsvHeader(CsvColumns columns) {
  std::string header = "account,accountDn,groupDn,groupName,scope,kind";
  if (columns.chains) header += ",depth,via";
  if (columns.token) header += ",tokenBytes";
  return header + "\r\n";
}

std::string CsvRows(const CsvAccount& account, const GroupDetailsMap& groups, CsvColumns columns,
                    const CsvChainOf& chainOf) {
  const std::string tokenBytes = account.token ? std::to_string(account.token->bytes()) : "";
  std::string rows;
  // A row starts after the last one's line end, where AppendField puts no comma.
  auto row = [&](std::string_view groupDn, std::string_view name, std::string_view scope,
                 std::string_view kind, std::string_view depth, std::string_view via) {
    for (std::string_view field : {std::string_view(account.name), std::string_view(account.dn),
                                   groupDn, name, scope, kind}) {
      AppendField(rows, field);
    }
    if (columns.chains) {
      AppendField(rows, depth);
      AppendField(rows, via);
    }
    if (columns.token) AppendField(rows, tokenBytes);
    rows += "\r\n";
  };
  if (groups.empty()) row("", "", "", "", "", "");
  for (const auto& [key, group] : groups.entries()) {
    std::pair<std::size_t, std::string> chain;
    if (columns.chains) chain = chainOf(key);
    row(group.dn, group.sAMAccountName, ScopeWord(ScopeOfGroupType(group.groupType)),
        KindWord(group.groupType), chain.first == 0 ? "" : std::to_string(chain.first),
        chain.second);
  }
  return rows;
}

}  // namespace nestwalk
