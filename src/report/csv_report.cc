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

CsvAccountRows::CsvAccountRows(std::string& rows, const CsvAccount& account, CsvColumns columns)
    : rows_(rows), columns_(columns) {
  // The account's fields open every row: escaped once.
  AppendField(opening_, account.name);
  opening_ += ',';
  AppendField(opening_, account.dn);
  if (columns.token) {
    tokenBytes_ += ',';
    if (account.token) AppendField(tokenBytes_, std::to_string(account.token->bytes()));
  }
}

void CsvAccountRows::Row(std::string_view change, std::string_view groupDn,
                         std::string_view groupName, std::string_view scope,
                         std::string_view kind, std::string_view depth, std::string_view via) {
  if (!change.empty()) {
    AppendField(rows_, change);
    rows_ += ',';
  }
  rows_ += opening_;
  for (std::string_view field : {groupDn, groupName, scope, kind}) {
    rows_ += ',';
    AppendField(rows_, field);
  }
  if (columns_.chains) {
    rows_ += ',';
    AppendField(rows_, depth);
    rows_ += ',';
    AppendField(rows_, via);
  }
  rows_ += tokenBytes_;
  rows_ += "\r\n";
}

void CsvAccountRows::GroupRow(std::string_view change, const data& group,
                              const std::pair<std::size_t, std::string>& chain) {
  const GroupTypeWords words = WordsOfGroupType(group.groupType);
  Row(change, group.dn, group.sAMAccountName, words.scope, words.kind,
      chain.first == 0 ? "" : std::to_string(chain.first), chain.second);
}

CsvChainOf CsvChainsOver(const MembershipGraph& graph, const MembershipChains& chains,
                         const std::string& accountName) {
  return [&graph, &chains, &accountName](const std::string& key) {
    const MembershipChain chain = chains.ChainTo(*graph.Find(key));
    return std::pair{chain.groups.size(), ChainText(graph, chain, accountName)};
  };
}

void AppendCsvRows(std::string& rows, const CsvAccount& account, const GroupDetailsMap& groups,
                   CsvColumns columns, const CsvChainOf& chainOf) {
  CsvAccountRows accountRows(rows, account, columns);
  if (!account.shortfall.empty()) {
    accountRows.Row("", "", std::string(kCsvIncompletePrefix) + account.shortfall, "", "", "", "");
    return;
  }
  if (groups.empty()) accountRows.Row("", "", "", "", "", "", "");
  std::pair<std::size_t, std::string> chain;
  for (const auto& [key, group] : groups.entries()) {
    if (columns.chains) chain = chainOf(key);
    accountRows.GroupRow("", group, chain);
  }
}

std::string_view UndoFormulaQuote(std::string_view cell) {
  if (cell.size() < 2 || cell.front() != '\'') return cell;
  const std::string_view rest = cell.substr(1);
  for (const char start : kFormulaStarts) {
    // A tab or a CR was escaped after the quote went before it: "'\09".
    if (rest.starts_with(EscapeControlCharacters({&start, 1}, /*keepLayout=*/false))) return rest;
  }
  return cell;
}

}  // namespace nestwalk
