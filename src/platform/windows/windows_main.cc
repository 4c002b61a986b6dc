// The entry point of nestwalk.exe: the arguments arrive as UTF-16 (wmain) and are made UTF-8
// once, here; everything inside the program is UTF-8.
#include <iostream>
#include <string>
#include <vector>

#include "driver/program.h"
#include "platform/windows/console_session.h"
#include "platform/windows/wide_text.h"
#include "platform/windows/windows_platform.h"

int wmain(int argc, wchar_t** argv) {
  const nestwalk::platform::ConsoleSession console;
  std::vector<std::string> args;
  for (int at = 0; at < argc; ++at) args.push_back(nestwalk::platform::Utf8FromWide(argv[at]));
  nestwalk::platform::WindowsPlatform platform;
  return nestwalk::ExitCodeForStatus(
      nestwalk::RunProgram(args, std::cin, std::cout, std::cerr, platform));
}
