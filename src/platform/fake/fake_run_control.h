// The process of a test run: a clock that moves 10 ms each time it is read, a standard error
// that is a terminal when the test says so, an interrupt that comes when the test says, and a
// terminal that answers a password prompt as the test says.
#ifndef NESTWALK_PLATFORM_FAKE_FAKE_RUN_CONTROL_H_
#define NESTWALK_PLATFORM_FAKE_FAKE_RUN_CONTROL_H_

#include <chrono>
#include <optional>
#include <string>
#include <vector>

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
  // What ReadSecret answers from now on; nullopt (the default): there is no terminal.
  void SetTypedSecret(std::optional<std::string> secret) { typedSecret_ = std::move(secret); }
  // The prompts ReadSecret was given, in order.
  const std::vector<std::string>& secretPrompts() const { return secretPrompts_; }

  std::chrono::steady_clock::time_point Now() override {
    now_ += kTick;
    return now_;
  }
  bool ErrorIsTerminal() override { return terminal_; }
  void CatchInterrupts() override { catches_ = true; }
  bool Interrupted() override {
    return interrupted_ || (interruptAt_ && ++checks_ >= *interruptAt_);
  }
  std::optional<std::string> ReadSecret(const std::string& prompt) override {
    secretPrompts_.push_back(prompt);
    return typedSecret_;
  }

 private:
  std::chrono::steady_clock::time_point now_{};
  bool terminal_ = false;
  bool catches_ = false;
  std::optional<int> interruptAt_;
  int checks_ = 0;
  bool interrupted_ = false;
  std::optional<std::string> typedSecret_;
  std::vector<std::string> secretPrompts_;
};

}  // namespace nestwalk::fake

#endif  // NESTWALK_PLATFORM_FAKE_FAKE_RUN_CONTROL_H_
