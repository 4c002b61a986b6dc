#include "membership/csv_report.h"

#include <cstdint>
#include <cstring>
#include <string_view>

#include "membership/group_type.h"
#include "text/utf8_escape.h"

namespace nestwalk {

namespace {

// What a field needs before it is written.
struct FieldNeeds {
  bool escape = false;  // a byte outside printable ASCII
  bool quotes = false;  // a comma or a quote
};

// Eight bytes at a time: a review writes millions of fields.
FieldNeeds NeedsOf(std::string_view value) {
  constexpr std::uint64_t kOnes = 0x0101010101010101;
  constexpr std::uint64_t kHighs = 0x8080808080808080;
  // Non-zero when a byte of `word` is below `limit` (at most 0x80), exactly then.
  auto below = [](std::uint64_t word, std::uint64_t limit) {
    return (word - kOnes * limit) & ~word & kHighs;
  };
  auto holds = [&](std::uint64_t word, unsigned char byte) {
    return below(word ^ (kOnes * byte), 1);
  };
  std::uint64_t escape = 0;
  std::uint64_t quotes = 0;
  std::size_t at = 0;
  for (; at + sizeof(std::uint64_t) <= value.size(); at += sizeof(std::uint64_t)) {
    std::uint64_t word;
    std::memcpy(&word, value.data() + at, sizeof word);
    escape |= below(word, 0x20) | (word & kHighs) | holds(word, 0x7F);
    quotes |= holds(word, ',') | holds(word, '"');
  }
  FieldNeeds needs{escape != 0, quotes != 0};
  for (const char c : value.substr(at)) {
    const auto byte = static_cast<unsigned char>(c);
    needs.escape = needs.escape || byte < 0x20 || byte >= 0x7F;
    needs.quotes = needs.quotes || c == ',' || c == '"';
  }
  return needs;
}

// Appends `value` as one field, escaped and quoted as it needs (a DN always has commas).
void AppendField(std::string& rows, std::string_view value) {
  FieldNeeds needs = NeedsOf(value);
  std::string escaped;
  if (needs.escape) {
    escaped = EscapeControlCharacters(EscapeInvalidUtf8(value), /*keepLayout=*/false);
    value = escaped;
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
