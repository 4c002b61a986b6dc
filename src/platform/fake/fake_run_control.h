// The process of a test run: a clock that moves 10 ms each time it is read, a standard error
// that is a terminal when the test says so, and an interrupt that comes when the test says.
#ifndef NESTWALK_PLATFORM_FAKE_FAKE_RUN_CONTROL_H_
#define NESTWALK_PLATFORM_FAKE_FAKE_RUN_CONTROL_H_

#include <chrono>
#include <optional>

#include "platform/run_control.h"

namespace nestwalk::fake {

class FakeRunControl : public platform::RunControl {
 public:
  static constexpr std::chrono::milliseconds kTick{10};

  void SetErrorIsTerminal(bool terminal) { terminal_ = terminal; }
  // Interrupted answers true from its `checks`-th call on (1: the first).
  void InterruptAt(int checks) { interruptAt_ = checks; }
  // Interrupted answers true from now on.
  void Interrupt() { interrupted_ = true; }
  bool catchesInterrupts() const { return catches_; }

  std::chrono::steady_clock::time_point Now() override {
    now_ += kTick;
    return now_;
  }
  bool ErrorIsTerminal() override { return terminal_; }
  void CatchInterrupts() override { catches_ = true; }
  bool Interrupted() override {
    return interrupted_ || (interruptAt_ && ++checks_ >= *interruptAt_);
  }

 private:
  std::chrono::steady_clock::time_point now_{};
  bool terminal_ = false;
  bool catches_ = false;
  std::optional<int> interruptAt_;
  int checks_ = 0;
  bool interrupted_ = false;
};

}  // namespace nestwalk::fake

#endif  // NESTWALK_PLATFORM_FAKE_FAKE_RUN_CONTROL_H_
