// A console whose two streams a test can read back.
#ifndef NESTWALK_TESTS_SUPPORT_CAPTURED_CONSOLE_H_
#define NESTWALK_TESTS_SUPPORT_CAPTURED_CONSOLE_H_

#include <sstream>

#include "platform/console.h"

namespace nestwalk::testing {

// Not copyable: the console writes into this object's own streams.
struct CapturedConsole {
  explicit CapturedConsole(bool debug = false, bool quiet = false)
      : console(out, err, quiet, debug) {}
  CapturedConsole(const CapturedConsole&) = delete;
  CapturedConsole& operator=(const CapturedConsole&) = delete;
  std::ostringstream out;
  std::ostringstream err;
  Console console;
};

}  // namespace nestwalk::testing

#endif  // NESTWALK_TESTS_SUPPORT_CAPTURED_CONSOLE_H_
