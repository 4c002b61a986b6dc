#include "report/csv_report.h"

#include <string_view>

#include "membership/group_type.h"
#include "text/byte_scan.h"
#include "text/utf8_escape.h"

namespace nestwalk {

namespace {

// What a field needs before it is written.
struct FieldNeeds {
  bool escape = false;  // a byte outside printable ASCII
  bool quotes = false;  // a comma or a quote
};

FieldNeeds NeedsOf(std::string_view value) {
  using byte_scan::Word;
  auto escapeInWord = [](Word word) {
    return (byte_scan::Below(word, 0x20) | byte_scan::High(word) | byte_scan::Holds(word, 0x7F)) != 0;
  };
  auto escapes = [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte >= 0x7F;
  };
  auto quotesInWord = [](Word word) {
    return (byte_scan::Holds(word, ',') | byte_scan::Holds(word, '"')) != 0;
  };
  auto quotes = [](char c) { return c == ',' || c == '"'; };
  return {byte_scan::AnyByte(value, escapeInWord, escapes),
          byte_scan::AnyByte(value, quotesInWord, quotes)};
}

// What begins a cell that spreadsheets run as a formula, as OWASP lists it.
constexpr std::string_view kFormulaStarts = "=+-@\t\r";

// Appends `value` as one field, escaped and quoted as it needs (a DN always has commas); a
// value a spreadsheet would run gets a single quote before it, which makes it text there.
void AppendField(std::string& rows, std::string_view value) {
  FieldNeeds needs = NeedsOf(value);
  const bool formula =
      !value.empty() && kFormulaStarts.find(value.front()) != std::string_view::npos;
  std::string rewritten;
  if (needs.escape || formula) {
    if (formula) rewritten += '\'';
    if (needs.escape) {
      rewritten += EscapeControlCharacters(EscapeInvalidUtf8(value), /*keepLayout=*/false);
    } else {
      rewritten += value;
    }
    value = rewritten;
    needs = NeedsOf(value);
  }
  if (!needs.quotes) {
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

void AppendCsvField(std::string& rows, std::string_view value) { AppendField(rows, value); }

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
  if (!account.shortfall.empty()) {
    row("", "INCOMPLETE: " + account.shortfall, "", "", "", "");
    return;
  }
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
