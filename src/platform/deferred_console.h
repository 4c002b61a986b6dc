// A console whose lines wait for a later point of the run: work done ahead on another thread
// writes here, and the run's own thread replays the lines where that work belongs in the run.
#ifndef NESTWALK_PLATFORM_DEFERRED_CONSOLE_H_
#define NESTWALK_PLATFORM_DEFERRED_CONSOLE_H_

#include <sstream>

#include "platform/console.h"

namespace nestwalk {

// Not copyable: the console writes into this object's own streams.
class DeferredConsole {
 public:
  // With the flags of `like`.
  explicit DeferredConsole(const Console& like);
  DeferredConsole(const DeferredConsole&) = delete;
  DeferredConsole& operator=(const DeferredConsole&) = delete;

  Console& console() { return console_; }
  // Writes what was kept into `target`, standard output first, then standard error, and
  // forgets it.
  void ReplayInto(Console& target);

 private:
  std::ostringstream out_;
  std::ostringstream err_;
  Console console_;
};

}  // namespace nestwalk

#endif  // NESTWALK_PLATFORM_DEFERRED_CONSOLE_H_
