#include "platform/linux/terminal_secret.h"

#include <fcntl.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

namespace nestwalk::platform {

namespace {

volatile std::sig_atomic_t interruptedWhileReading = 0;

void NoteInterrupt(int) { interruptedWhileReading = 1; }

// The terminal, closed when it goes.
class Terminal {
 public:
  Terminal() : fd_(open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC)) {}
  ~Terminal() {
    if (fd_ >= 0) close(fd_);
  }
  Terminal(const Terminal&) = delete;
  Terminal& operator=(const Terminal&) = delete;

  int fd() const { return fd_; }
  void Write(const std::string& text) const {
    for (std::size_t written = 0; written < text.size();) {
      const ssize_t count = write(fd_, text.data() + written, text.size() - written);
      if (count <= 0) return;
      written += static_cast<std::size_t>(count);
    }
  }

 private:
  int fd_;
};

// Echo off while it lives; the settings it found are put back.
class EchoOff {
 public:
  explicit EchoOff(int fd) : fd_(fd), saved_(tcgetattr(fd, &settings_) == 0) {
    if (!saved_) return;
    termios quiet = settings_;
    quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    quiet.c_lflag |= ECHONL;
    tcsetattr(fd_, TCSAFLUSH, &quiet);
  }
  ~EchoOff() {
    if (saved_) tcsetattr(fd_, TCSAFLUSH, &settings_);
  }
  EchoOff(const EchoOff&) = delete;
  EchoOff& operator=(const EchoOff&) = delete;

  bool isTerminal() const { return saved_; }

 private:
  int fd_;
  termios settings_{};
  bool saved_;
};

// SIGINT noted, without restarting the read it interrupts, while it lives.
class InterruptNoted {
 public:
  InterruptNoted() {
    interruptedWhileReading = 0;
    struct sigaction noting {};
    noting.sa_handler = NoteInterrupt;
    sigemptyset(&noting.sa_mask);
    sigaction(SIGINT, &noting, &previous_);
  }
  ~InterruptNoted() { sigaction(SIGINT, &previous_, nullptr); }
  InterruptNoted(const InterruptNoted&) = delete;
  InterruptNoted& operator=(const InterruptNoted&) = delete;

 private:
  struct sigaction previous_ {};
};

}  // namespace

std::optional<std::string> ReadTerminalSecret(const std::string& prompt) {
  const Terminal terminal;
  if (terminal.fd() < 0) return std::nullopt;
  const InterruptNoted interrupts;
  const EchoOff echoOff(terminal.fd());
  if (!echoOff.isTerminal()) return std::nullopt;
  terminal.Write(prompt);
  std::string line;
  for (;;) {
    char c = 0;
    const ssize_t count = read(terminal.fd(), &c, 1);
    if (count < 0 && errno == EINTR && interruptedWhileReading == 0) continue;
    if (count <= 0) return std::nullopt;
    if (c == '\n') break;
    line += c;
  }
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

}  // namespace nestwalk::platform
