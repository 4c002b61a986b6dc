#include "platform/windows/windows_run_control.h"

#include <windows.h>

#include <atomic>

#include "platform/windows/console_secret.h"

namespace nestwalk::platform {

namespace {

// Set on the thread the console starts for the handler.
std::atomic<bool> interrupted{false};

BOOL WINAPI NoteInterrupt(DWORD event) {
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
  interrupted = true;
  return TRUE;
}

}  // namespace

std::chrono::steady_clock::time_point WindowsRunControl::Now() {
  return std::chrono::steady_clock::now();
}

bool WindowsRunControl::ErrorIsTerminal() {
  DWORD mode = 0;
  return GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) != 0 &&
         (mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0;
}

void WindowsRunControl::CatchInterrupts() { SetConsoleCtrlHandler(NoteInterrupt, TRUE); }

bool WindowsRunControl::Interrupted() { return interrupted; }

std::optional<std::string> WindowsRunControl::ReadSecret(const std::string& prompt) {
  return ReadConsoleSecret(prompt);
}

}  // namespace nestwalk::platform
