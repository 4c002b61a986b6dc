// A console whose two streams a test can read back.
#ifndef NESTWALK_TESTS_SUPPORT_CAPTURED_CONSOLE_H_
#define NESTWALK_TESTS_SUPPORT_CAPTURED_CONSOLE_H_

#include <sstream>

#include "platform/console.h"

namespace nestwalk::testing {

struct CapturedConsole {
  explicit CapturedConsole(bool debug = false) : console(out, err, false, debug) {}
  std::ostringstream out;
  std::ostringstream err;
  Console console;
};

}  // namespace nestwalk::testing

#endif  // NESTWALK_TESTS_SUPPORT_CAPTURED_CONSOLE_H_
