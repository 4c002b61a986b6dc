#include <iostream>
#include <string>
#include <vector>

#include "driver/program.h"
#include "platform/linux/linux_platform.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv, argv + argc);
  nestwalk::platform::LinuxPlatform platform;
  return nestwalk::ExitCodeForStatus(nestwalk::RunProgram(args, std::cin, std::cout, std::cerr, platform));
}
