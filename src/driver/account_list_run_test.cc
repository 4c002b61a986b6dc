// Whole runs of -in over list files as they come: through a pipe, a FIFO, a directory,
// /dev/zero, with a byte order mark, in UTF-16, with NUL bytes and endless lines. A list that
// cannot be read ends the run before any server is asked; a bad line stops only itself.
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "driver/account_review.h"
#include "membership/membership_fixture.h"
#include "support/list_files.h"
#include "support/run_harness.h"

namespace nestwalk {
namespace {

using Forest = testing::ThreeDomainForest;

enum class Source { kStandardInput, kFile, kPipe, kFifo, kDirectory, kDevZero };

struct ListRunCase {
  const char* name;
  Source source;
  std::string list;
  std::string err;  // "<list>" stands for the name of the list
  bool reportsAlice;
  int status;
};

void PrintTo(const ListRunCase& c, std::ostream* os) { *os << c.name; }

const std::string kAlice = "EMEA\\alice\n";
const std::string kUtf16LittleEndian(
    "\xFF\xFE"
    "E\0M\0E\0A\0\\\0a\0l\0i\0c\0e\0\r\0\n\0",
    26);
const std::string kUtf16BigEndian("\0E\0M\0E\0A\0\\\0a\0l\0i\0c\0e\0\r\0\n", 24);
const std::string kSaveAsUtf8 =
    ": save it as UTF-8 (in PowerShell: Out-File -Encoding utf8, in Notepad: Save As, Encoding "
    "UTF-8)\n";

class AccountListRunTest : public ::testing::TestWithParam<ListRunCase> {};

TEST_P(AccountListRunTest, TheWholeRunOfAList) {
  const ListRunCase& c = GetParam();
  testing::TemporaryDirectory directory;
  std::optional<testing::PipedList> pipe;
  std::optional<testing::FifoWithWriter> fifo;
  std::string path = "-";
  std::string input;
  switch (c.source) {
    case Source::kStandardInput:
      input = c.list;
      break;
    case Source::kFile:
      path = directory.Write("accounts.txt", c.list);
      break;
    case Source::kPipe:
      path = pipe.emplace(c.list).path();
      break;
    case Source::kFifo:
      path = fifo.emplace(directory, c.list).path();
      break;
    case Source::kDirectory:
      path = directory.path();
      break;
    case Source::kDevZero:
      path = "/dev/zero";
      break;
  }
  fake::FakeForest forest;
  Forest::Build(forest, /*otherIsGc=*/false);
  const testing::RunOutcome run = testing::RunNestwalk(forest, {"-q", "-in", path}, input);

  std::string err = c.err;
  if (const std::size_t at = err.find("<list>"); at != std::string::npos) {
    err.replace(at, 6, path == "-" ? "standard input" : path);
  }
  EXPECT_EQ(run.err, err);
  EXPECT_EQ(run.status, c.status);
  std::string out;
  if (c.reportsAlice) {
    fake::FakeForest own;
    Forest::Build(own, /*otherIsGc=*/false);
    out = testing::RunNestwalk(own, {"-q", "-u", "EMEA\\alice"}).out;
  }
  EXPECT_EQ(run.out, out);
  if (c.status == -1) {
    // Judged before any server was asked.
    EXPECT_TRUE(forest.connections().empty());
    EXPECT_TRUE(forest.locatorCalls().empty());
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AccountListRunTest,
    ::testing::Values(
        ListRunCase{"a regular file", Source::kFile, kAlice, "", true, 0},
        ListRunCase{"a pipe, as <(...) gives it, is read once", Source::kPipe, kAlice, "", true, 0},
        ListRunCase{"a FIFO is read once", Source::kFifo, kAlice, "", true, 0},
        ListRunCase{"a directory", Source::kDirectory, "",
                    "Error: Couldn't read <list>: it is a directory\n", false, -1},
        ListRunCase{"/dev/zero is judged on its first bytes", Source::kDevZero, "",
                    "Error: <list> holds NUL bytes, as no UTF-8 text does" + kSaveAsUtf8, false,
                    -1},
        ListRunCase{"a UTF-8 byte order mark and CR LF", Source::kFile,
                    "\xEF\xBB\xBF"
                    "EMEA\\alice\r\n",
                    "", true, 0},
        ListRunCase{"a UTF-8 byte order mark on standard input", Source::kStandardInput,
                    "\xEF\xBB\xBF"
                    "EMEA\\alice\n",
                    "", true, 0},
        ListRunCase{"UTF-16 with a byte order mark", Source::kFile, kUtf16LittleEndian,
                    "Error: <list> is UTF-16 text (little endian), not UTF-8" + kSaveAsUtf8, false,
                    -1},
        ListRunCase{"UTF-16 without one, through a pipe", Source::kPipe, kUtf16BigEndian,
                    "Error: <list> is UTF-16 text (big endian), not UTF-8" + kSaveAsUtf8, false,
                    -1},
        ListRunCase{"a NUL byte in a line", Source::kStandardInput,
                    std::string("EMEA\\bo\0b\n", 10) + kAlice,
                    "Error: <list> line 1: the line holds a NUL byte\n", true, 8},
        ListRunCase{"a 1 MB line", Source::kFile, std::string(1 << 20, 'x') + "\n" + kAlice,
                    "Error: <list> line 1: the line is longer than 4096 bytes\n", true, 8},
        ListRunCase{"a name longer than AD allows", Source::kStandardInput,
                    kAlice + "EMEA\\" + std::string(300, 'b') + "\n",
                    "Error: <list> line 2: the name is longer than 256 characters, the most AD "
                    "allows\n",
                    true, 8}));

}  // namespace
}  // namespace nestwalk
