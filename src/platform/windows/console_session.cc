#include "platform/windows/console_session.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <initializer_list>

namespace nestwalk::platform {

ConsoleSession::ConsoleSession() : outputCodePage_(GetConsoleOutputCP()), errorMode_(0) {
  for (std::FILE* stream : {stdin, stdout, stderr}) _setmode(_fileno(stream), _O_BINARY);
  if (outputCodePage_ != 0) SetConsoleOutputCP(CP_UTF8);
  const HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
  DWORD mode = 0;
  if (GetConsoleMode(error, &mode) != 0 && (mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING) == 0) {
    errorMode_ = mode;
    errorModeChanged_ = SetConsoleMode(error, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0;
  }
}

ConsoleSession::~ConsoleSession() {
  if (outputCodePage_ != 0) SetConsoleOutputCP(outputCodePage_);
  if (errorModeChanged_) SetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), errorMode_);
}

}  // namespace nestwalk::platform
