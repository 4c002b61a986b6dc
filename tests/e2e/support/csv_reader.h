// Reads the CSV that a -csv run writes (RFC 4180: CRLF line ends, a field quoted when it holds
// a comma or a quote, a quote doubled inside one) back into fields.
#ifndef NESTWALK_TESTS_E2E_SUPPORT_CSV_READER_H_
#define NESTWALK_TESTS_E2E_SUPPORT_CSV_READER_H_

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace nestwalk::e2e {

using CsvRow = std::vector<std::string>;

// Every row of `text`, the header among them, each with its fields unquoted. A row ends at CRLF
// (or LF) outside quotes; nothing after the last line end is lost.
std::vector<CsvRow> ReadCsvRows(std::string_view text);

// The rows after the header by their first field (the account), in the order written.
std::map<std::string, std::vector<CsvRow>> CsvRowsByAccount(std::string_view text);

}  // namespace nestwalk::e2e

#endif  // NESTWALK_TESTS_E2E_SUPPORT_CSV_READER_H_
