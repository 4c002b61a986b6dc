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

// Appends `value` as one field, escaped and quoted as it needs (a DN always has commas).
void AppendField(std::string& rows, std::string_view value) {
  std::string escaped;
  if (!Printable(value)) {
    escaped = EscapeControlCharacters(EscapeInvalidUtf8(value), /*keepLayout=*/false);
    value = escaped;
  }
  if (std::ranges::none_of(value, [](char c) { return c == ',' || c == '"'; })) {
    rows += value;
    return;
  }
  rows += '"';
  for (std::size_t quote = value.find('"'); quote != std::string_view::npos;
       quote = value.find('"')) {
    rows += value.substr(0, quote + 1);
    rows += '"';
    value.remove_prefix(quote + 1);
  }
  rows += value;
  rows += '"';
}

}  // namespace

std::string CsvHeader(CsvColumns columns) {
  std::string header = "account,accountDn,groupDn,groupName,scope,kind";
  if (columns.chains) header += ",depth,via";
  if (columns.token) header += ",tokenBytes";
  return header + "\r\n";
}

void AppendCsvRows(std::string& rows, const CsvAccount& account, const GroupDetailsMap& groups,
                   CsvColumns columns, const CsvChainOf& chainOf) {
  // The account's fields open every row: escaped once.
  std::string opening;
  AppendField(opening, account.name);
  opening += ',';
  AppendField(opening, account.dn);
  std::string tokenBytes;
  if (columns.token) {
    tokenBytes += ',';
    if (account.token) AppendField(tokenBytes, std::to_string(account.token->bytes()));
  }
  auto row = [&](std::string_view groupDn, std::string_view name, std::string_view scope,
                 std::string_view kind, std::string_view depth, std::string_view via) {
    rows += opening;
    for (std::string_view field : {groupDn, name, scope, kind}) {
      rows += ',';
      AppendField(rows, field);
    }
    if (columns.chains) {
      rows += ',';
      AppendField(rows, depth);
      rows += ',';
      AppendField(rows, via);
    }
    rows += tokenBytes;
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
}

}  // namespace nestwalk
