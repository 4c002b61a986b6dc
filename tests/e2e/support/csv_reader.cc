#include "support/csv_reader.h"

namespace nestwalk::e2e {

std::vector<CsvRow> ReadCsvRows(std::string_view text) {
  std::vector<CsvRow> rows;
  CsvRow row;
  std::string field;
  bool quoted = false;
  bool rowStarted = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (quoted) {
      if (c != '"') {
        field += c;
      } else if (i + 1 < text.size() && text[i + 1] == '"') {
        field += '"';
        ++i;
      } else {
        quoted = false;
      }
      continue;
    }
    rowStarted = true;
    if (c == '"') {
      quoted = true;
    } else if (c == ',') {
      row.push_back(std::move(field));
      field.clear();
    } else if (c == '\n' || c == '\r') {
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      row.push_back(std::move(field));
      field.clear();
      rows.push_back(std::move(row));
      row.clear();
      rowStarted = false;
    } else {
      field += c;
    }
  }
  if (rowStarted || quoted) {
    row.push_back(std::move(field));
    rows.push_back(std::move(row));
  }
  return rows;
}

std::map<std::string, std::vector<CsvRow>> CsvRowsByAccount(std::string_view text) {
  std::map<std::string, std::vector<CsvRow>> byAccount;
  std::vector<CsvRow> rows = ReadCsvRows(text);
  for (std::size_t i = 1; i < rows.size(); ++i) {
    if (!rows[i].empty()) byAccount[rows[i][0]].push_back(std::move(rows[i]));
  }
  return byAccount;
}

}  // namespace nestwalk::e2e
