#include "driver/account_list_lines.h"

#include <cstddef>
#include <ostream>
#include <sstream>
#include <streambuf>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace nestwalk {
namespace {

const std::string kLongLine = std::string(1 << 20, 'a');

struct LinesCase {
  const char* name;
  std::string list;
  ListEncoding encoding;
  std::vector<std::string> lines;  // "<too long>" for a line read past
};

void PrintTo(const LinesCase& c, std::ostream* os) { *os << c.name; }

class AccountListLinesTest : public ::testing::TestWithParam<LinesCase> {};

TEST_P(AccountListLinesTest, TheEncodingAndTheLinesAsTheyWereRead) {
  const LinesCase& c = GetParam();
  std::istringstream list(c.list);
  AccountListLines lines(list);
  EXPECT_EQ(lines.Encoding(), c.encoding);
  if (c.encoding != ListEncoding::kUtf8) return;
  std::vector<std::string> read;
  ListLine line;
  while (lines.Next(line)) {
    EXPECT_EQ(line.number, read.size() + 1);
    read.push_back(line.tooLong ? "<too long>" : line.text);
  }
  EXPECT_EQ(read, c.lines);
  EXPECT_FALSE(lines.failed());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AccountListLinesTest,
    ::testing::Values(LinesCase{"an empty list has no line", "", ListEncoding::kUtf8, {}},
                      LinesCase{"the last line needs no line end",
                                "A\\a\nA\\b",
                                ListEncoding::kUtf8,
                                {"A\\a", "A\\b"}},
                      LinesCase{"CR LF line ends leave the CR to the parser",
                                "A\\a\r\nA\\b\r\n",
                                ListEncoding::kUtf8,
                                {"A\\a\r", "A\\b\r"}},
                      LinesCase{"a UTF-8 byte order mark is dropped from the first line only",
                                "\xEF\xBB\xBF"
                                "A\\a\n\xEF\xBB\xBF"
                                "A\\b\n",
                                ListEncoding::kUtf8,
                                {"A\\a",
                                 "\xEF\xBB\xBF"
                                 "A\\b"}},
                      LinesCase{"a line of the bound is held, one byte more is read past",
                                std::string(kMaxListLineBytes, 'x') + "\n" +
                                    std::string(kMaxListLineBytes + 1, 'y') + "\nA\\a",
                                ListEncoding::kUtf8,
                                {std::string(kMaxListLineBytes, 'x'), "<too long>", "A\\a"}},
                      LinesCase{"a 1 MB line is read past, the next one read",
                                "A\\a\n" + kLongLine + "\nA\\b\n",
                                ListEncoding::kUtf8,
                                {"A\\a", "<too long>", "A\\b"}},
                      LinesCase{"a 1 MB first line is read past too",
                                kLongLine + "\nA\\b\n",
                                ListEncoding::kUtf8,
                                {"<too long>", "A\\b"}},
                      LinesCase{"a NUL byte is kept for the parser to refuse",
                                std::string("A\\a\0b\n", 6) + std::string("A\\c\0\n", 5),
                                ListEncoding::kUtf8,
                                {std::string("A\\a\0b", 5), std::string("A\\c\0", 4)}},
                      LinesCase{"UTF-16 little endian with its byte order mark",
                                std::string("\xFF\xFE"
                                            "A\0\\\0a\0\r\0\n\0",
                                            12),
                                ListEncoding::kUtf16LittleEndian,
                                {}},
                      LinesCase{"UTF-16 big endian with its byte order mark",
                                std::string("\xFE\xFF\0A\0\\\0a\0\r\0\n", 12),
                                ListEncoding::kUtf16BigEndian,
                                {}},
                      LinesCase{"UTF-16 little endian without a mark",
                                std::string("A\0\\\0a\0\n\0", 8),
                                ListEncoding::kUtf16LittleEndian,
                                {}},
                      LinesCase{"UTF-16 big endian without a mark",
                                std::string("\0A\0\\\0a\0\n", 8),
                                ListEncoding::kUtf16BigEndian,
                                {}},
                      LinesCase{"NUL bytes on both sides are no text",
                                std::string(64, '\0'),
                                ListEncoding::kNulBytes,
                                {}}));

// An endless stream of NUL bytes, as /dev/zero gives, counting what was taken from it.
class EndlessZeros : public std::streambuf {
 public:
  std::size_t taken() const { return taken_; }

 protected:
  int_type underflow() override {
    taken_ += sizeof zeros_;
    setg(zeros_, zeros_, zeros_ + sizeof zeros_);
    return traits_type::to_int_type(zeros_[0]);
  }

 private:
  char zeros_[512] = {};
  std::size_t taken_ = 0;
};

TEST(AccountListLinesTest, AnEndlessListOfNulBytesIsJudgedOnItsFirstBytes) {
  EndlessZeros zeros;
  std::istream list(&zeros);
  AccountListLines lines(list);
  EXPECT_EQ(lines.Encoding(), ListEncoding::kNulBytes);
  EXPECT_LE(zeros.taken(), kMaxListLineBytes + 512);
}

}  // namespace
}  // namespace nestwalk
