#include "platform/windows/console_secret.h"

#include <windows.h>

#include <atomic>

#include "platform/windows/wide_text.h"

namespace nestwalk::platform {

namespace {

std::atomic<bool> interruptedWhileReading{false};

BOOL WINAPI NoteInterrupt(DWORD event) {
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
  interruptedWhileReading = true;
  return TRUE;
}

// A console device, closed when it goes.
class ConsoleDevice {
 public:
  explicit ConsoleDevice(const wchar_t* name)
      : handle_(CreateFileW(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_EXISTING, 0, nullptr)) {}
  ~ConsoleDevice() {
    if (valid()) CloseHandle(handle_);
  }
  ConsoleDevice(const ConsoleDevice&) = delete;
  ConsoleDevice& operator=(const ConsoleDevice&) = delete;

  bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_;
};

// Line input without echo while it lives, Ctrl-C noted instead of ending the process; the mode
// it found and the handler are put back.
class EchoOff {
 public:
  explicit EchoOff(HANDLE input) : input_(input), saved_(GetConsoleMode(input, &mode_) != 0) {
    if (!saved_) return;
    interruptedWhileReading = false;
    SetConsoleCtrlHandler(NoteInterrupt, TRUE);
    SetConsoleMode(input_, (mode_ | ENABLE_LINE_INPUT | ENABLE_PROCESSED_INPUT) &
                               ~static_cast<DWORD>(ENABLE_ECHO_INPUT));
  }
  ~EchoOff() {
    if (!saved_) return;
    SetConsoleMode(input_, mode_);
    SetConsoleCtrlHandler(NoteInterrupt, FALSE);
  }
  EchoOff(const EchoOff&) = delete;
  EchoOff& operator=(const EchoOff&) = delete;

  bool isConsole() const { return saved_; }

 private:
  HANDLE input_;
  DWORD mode_ = 0;
  bool saved_;
};

void WriteConsoleText(HANDLE output, const std::wstring& text) {
  DWORD written = 0;
  WriteConsoleW(output, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

}  // namespace

std::optional<std::string> ReadConsoleSecret(const std::string& prompt) {
  const ConsoleDevice input(L"CONIN$");
  const ConsoleDevice output(L"CONOUT$");
  if (!input.valid() || !output.valid()) return std::nullopt;
  const EchoOff echoOff(input.get());
  if (!echoOff.isConsole()) return std::nullopt;
  WriteConsoleText(output.get(), WideFromUtf8(prompt));
  std::wstring line;
  for (;;) {
    wchar_t c = 0;
    DWORD count = 0;
    if (!ReadConsoleW(input.get(), &c, 1, &count, nullptr) || count == 0 ||
        interruptedWhileReading) {
      SecureZeroMemory(line.data(), line.size() * sizeof(wchar_t));
      WriteConsoleText(output.get(), L"\r\n");
      return std::nullopt;
    }
    if (c == L'\n') break;
    if (c != L'\r') line += c;
  }
  WriteConsoleText(output.get(), L"\r\n");
  std::string secret = Utf8FromWide(line);
  SecureZeroMemory(line.data(), line.size() * sizeof(wchar_t));
  return secret;
}

}  // namespace nestwalk::platform
