#include "report/earlier_csv_review.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <vector>

#include "report/csv_report.h"

namespace nestwalk {

namespace {

// The cells of a review row, from its first.
enum Cell : std::size_t { kAccount, kAccountDn, kGroupDn, kGroupName, kScope, kKind };

std::string LineError(std::size_t number, const std::string& what) {
  return "line " + std::to_string(number) + " " + what;
}

// Whether a quoted cell of `row` goes on past its end (RFC 4180 allows line ends inside one).
bool QuoteLeftOpen(std::string_view row) {
  bool open = false;
  for (std::size_t quote = row.find('"'); quote != std::string_view::npos;
       quote = row.find('"', quote + 1)) {
    open = !open;
  }
  return open;
}

// Splits `row`, whose quotes are closed, into `cells`, each undone from its RFC 4180 quoting:
// a cell views the row, and the row's own memory takes a quoted cell with a doubled quote
// undone in place, never longer than its text. False when a quote stands where none may.
bool SplitRow(std::string& row, std::vector<std::string_view>& cells) {
  cells.clear();
  char* const text = row.data();
  const std::string_view whole(row);
  std::size_t at = 0;
  while (true) {
    if (at < whole.size() && whole[at] == '"') {
      const std::size_t start = at + 1;
      std::size_t end = start;  // of the text undone so far
      std::size_t read = start;
      while (true) {
        const std::size_t quote = whole.find('"', read);
        if (quote == std::string_view::npos) return false;
        if (end != read) std::memmove(text + end, text + read, quote - read);
        end += quote - read;
        if (quote + 1 == whole.size() || whole[quote + 1] != '"') {
          at = quote + 1;
          break;
        }
        text[end++] = '"';  // a doubled quote is one
        read = quote + 2;
      }
      cells.emplace_back(text + start, end - start);
      if (at < whole.size() && whole[at] != ',') return false;
    } else {
      const std::size_t comma = std::min(whole.find(',', at), whole.size());
      if (whole.substr(at, comma - at).find('"') != std::string_view::npos) return false;
      cells.emplace_back(text + at, comma - at);
      at = comma;
    }
    if (at == whole.size()) return true;
    ++at;  // the comma
  }
}

}  // namespace

bool IsCsvReviewHeader(std::string_view firstLine) {
  return std::ranges::any_of(
      std::initializer_list<CsvColumns>{{false, false}, {true, false}, {false, true}, {true, true}},
      [&](CsvColumns columns) {
        const std::string header = CsvHeader(columns);
        return firstLine == std::string_view(header).substr(0, header.size() - 2);  // its "\r\n"
      });
}

std::string ReadCsvReview(std::istream& in, std::string_view firstLine, EarlierReview& review) {
  const auto columns = static_cast<std::size_t>(std::ranges::count(firstLine, ',')) + 1;
  std::string row;
  std::string more;
  std::string account;  // the account and DN of the rows read last
  std::string accountDn;
  std::vector<std::string_view> cells;
  std::size_t number = 1;
  const std::string cutShort = "ends in the middle of a row: the file is cut short";
  while (std::getline(in, row)) {
    const std::size_t first = ++number;
    // A quoted cell may hold line ends: the row goes on until its quotes are even.
    while (QuoteLeftOpen(row)) {
      if (in.eof() || !std::getline(in, more)) return LineError(first, cutShort);
      ++number;
      row += '\n';
      row += more;
    }
    if (in.eof()) return LineError(first, cutShort);  // no line end after it
    if (!row.empty() && row.back() == '\r') row.pop_back();
    if (!SplitRow(row, cells)) return LineError(first, "has a quote where none may be");
    if (cells.size() != columns) {
      return LineError(first, "has " + std::to_string(cells.size()) + " cells, not the " +
                                  std::to_string(columns) + " of the header");
    }
    if (cells[kAccount] != account || cells[kAccountDn] != accountDn) {
      account = cells[kAccount];
      accountDn = cells[kAccountDn];
      review.BeginAccount(UndoFormulaQuote(account), UndoFormulaQuote(accountDn));
    }
    const std::string_view groupDn = UndoFormulaQuote(cells[kGroupDn]);
    const std::string_view groupName = UndoFormulaQuote(cells[kGroupName]);
    if (!groupDn.empty()) {
      review.AddGroup(groupDn, groupName, cells[kScope], cells[kKind]);
    } else if (groupName.starts_with(kCsvIncompletePrefix)) {
      review.MarkShortfall(groupName);
    } else if (!groupName.empty()) {
      return LineError(first, "has a groupName and no groupDn");
    }
  }
  if (in.bad()) return "could not be read past line " + std::to_string(number);
  return {};
}

}  // namespace nestwalk
