#include "support/csv_reader.h"

#include <gtest/gtest.h>

namespace nestwalk::e2e {
namespace {

TEST(CsvReader, QuotedFieldsKeepTheirCommasQuotesAndEmptyNeighbours) {
  const std::string text =
      "account,accountDn,groupDn\r\n"
      "CORP\\alice,\"CN=alice,DC=corp\",\"CN=\"\"Q\"\",DC=corp\"\r\n"
      "CORP\\bob,,\r\n";
  EXPECT_EQ(ReadCsvRows(text),
            (std::vector<CsvRow>{{"account", "accountDn", "groupDn"},
                                 {"CORP\\alice", "CN=alice,DC=corp", "CN=\"Q\",DC=corp"},
                                 {"CORP\\bob", "", ""}}));
}

// A row cut short (a run killed while writing) is kept as it stands.
TEST(CsvReader, ARowWithoutItsLineEndIsKept) {
  EXPECT_EQ(ReadCsvRows("a,b\r\nc,\"d,"), (std::vector<CsvRow>{{"a", "b"}, {"c", "d,"}}));
}

TEST(CsvReader, RowsGoByTheirAccountAfterTheHeader) {
  const auto byAccount = CsvRowsByAccount("account,g\r\nA,1\r\nB,2\r\nA,3\r\n");
  EXPECT_EQ(byAccount.size(), 2u);
  EXPECT_EQ(byAccount.at("A"), (std::vector<CsvRow>{{"A", "1"}, {"A", "3"}}));
  EXPECT_EQ(byAccount.at("B"), (std::vector<CsvRow>{{"B", "2"}}));
}

}  // namespace
}  // namespace nestwalk::e2e
