#include "support/list_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string_view>
#include <system_error>
#include <vector>

namespace nestwalk::testing {

namespace {

// False when a write failed.
bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

}  // namespace

TemporaryDirectory::TemporaryDirectory() {
  std::string pattern = (std::filesystem::temp_directory_path() / "nestwalk-lists-XXXXXX").string();
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  if (::mkdtemp(name.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = name.data();
}

TemporaryDirectory::~TemporaryDirectory() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::string TemporaryDirectory::Write(const std::string& name, const std::string& bytes) const {
  const std::string path = path_ + "/" + name;
  std::ofstream(path, std::ios::binary) << bytes;
  return path;
}

PipedList::PipedList(const std::string& bytes) {
  int ends[2];
  if (::pipe(ends) != 0) throw std::runtime_error("pipe failed");
  readEnd_ = ends[0];
  const bool written = WriteAll(ends[1], bytes);
  ::close(ends[1]);
  if (!written) throw std::runtime_error("the list does not fit in a pipe");
}

PipedList::~PipedList() { ::close(readEnd_); }

std::string PipedList::path() const { return "/dev/fd/" + std::to_string(readEnd_); }

FifoWithWriter::FifoWithWriter(const TemporaryDirectory& directory, const std::string& bytes)
    : path_(directory.path() + "/list.fifo") {
  if (::mkfifo(path_.c_str(), 0600) != 0) throw std::runtime_error("mkfifo failed");
  writer_ = std::thread([path = path_, bytes] {
    // Opening for writing waits until the program opens the FIFO for reading.
    const int fd = ::open(path.c_str(), O_WRONLY);
    if (fd < 0) return;
    WriteAll(fd, bytes);
    ::close(fd);
  });
}

FifoWithWriter::~FifoWithWriter() {
  // A reader of its own lets a writer go that no run opened the FIFO for.
  const int reader = ::open(path_.c_str(), O_RDONLY | O_NONBLOCK);
  writer_.join();
  if (reader >= 0) ::close(reader);
}

}  // namespace nestwalk::testing
