#include "report/earlier_csv_review.h"

#include <algorithm>
#include <cstddef>
#include <vector>

#include "report/csv_report.h"

namespace nestwalk {

namespace {

// The cells of a review row, from its first.
enum Cell : std::size_t { kAccount, kAccountDn, kGroupDn, kGroupName, kScope, kKind };

std::string LineError(std::size_t number, const std::string& what) {
  return "line " + std::to_string(number) + " " + what;
}

// Splits `row` into `cells`, each undone from its RFC 4180 quoting in place: a quoted cell is
// never shorter than what it holds, so the row's own memory takes what the cells view. False
// when a quote stands where none may.
bool SplitRow(std::string& row, std::vector<std::string_view>& cells) {
  cells.clear();
  char* const text = row.data();
  const std::size_t size = row.size();
  std::size_t read = 0;
  std::size_t write = 0;
  while (true) {
    const std::size_t start = write;
    if (read < size && text[read] == '"') {
      for (++read;; ++read) {
        if (read == size) return false;
        if (text[read] == '"') {
          if (read + 1 == size || text[read + 1] != '"') break;
          ++read;  // a doubled quote is one
        }
        text[write++] = text[read];
      }
      ++read;  // the closing quote
      if (read < size && text[read] != ',') return false;
    } else {
      for (; read < size && text[read] != ','; ++read) {
        if (text[read] == '"') return false;
        text[write++] = text[read];
      }
    }
    cells.emplace_back(text + start, write - start);
    if (read == size) return true;
    ++read;  // the comma
  }
}

}  // namespace

bool IsCsvReviewHeader(std::string_view firstLine) {
  return std::ranges::any_of(std::initializer_list<CsvColumns>{{false, false}, {true, false},
                                                                {false, true}, {true, true}},
                             [&](CsvColumns columns) {
                               const std::string header = CsvHeader(columns);
                               return firstLine == std::string_view(header).substr(
                                                      0, header.size() - 2);  // its "\r\n"
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
    while (std::ranges::count(row, '"') % 2 != 0) {
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
