// Account lists as the program meets them outside the tests: a file in a directory of its own, a
// pipe opened by its /dev/fd name (as a shell's "<(...)" gives it), a FIFO with a writer.
#ifndef NESTWALK_TESTS_SUPPORT_LIST_FILES_H_
#define NESTWALK_TESTS_SUPPORT_LIST_FILES_H_

#include <string>
#include <thread>

namespace nestwalk::testing {

// A fresh directory under the system's temporary one; removed with all it holds.
class TemporaryDirectory {
 public:
  TemporaryDirectory();
  ~TemporaryDirectory();
  TemporaryDirectory(const TemporaryDirectory&) = delete;
  TemporaryDirectory& operator=(const TemporaryDirectory&) = delete;

  const std::string& path() const { return path_; }
  // Writes `bytes` to the file `name` in it; its path.
  std::string Write(const std::string& name, const std::string& bytes) const;

 private:
  std::string path_;
};

// A pipe that holds `bytes` (less than a pipe's buffer, 64 KiB) and whose writer has gone: its
// reader sees them, then the end. Read through `path()`, "/dev/fd/<n>".
class PipedList {
 public:
  explicit PipedList(const std::string& bytes);
  ~PipedList();
  PipedList(const PipedList&) = delete;
  PipedList& operator=(const PipedList&) = delete;

  std::string path() const;

 private:
  int readEnd_ = -1;
};

// A FIFO in `directory` whose writer, a thread, waits for a reader, writes `bytes` and closes.
class FifoWithWriter {
 public:
  FifoWithWriter(const TemporaryDirectory& directory, const std::string& bytes);
  ~FifoWithWriter();  // waits for the writer
  FifoWithWriter(const FifoWithWriter&) = delete;
  FifoWithWriter& operator=(const FifoWithWriter&) = delete;

  const std::string& path() const { return path_; }

 private:
  std::string path_;
  std::thread writer_;
};

}  // namespace nestwalk::testing

#endif  // NESTWALK_TESTS_SUPPORT_LIST_FILES_H_
