// The program's two output streams. Every line of the program goes through one Console, so a
// test can capture standard output and standard error separately.
#ifndef NESTWALK_PLATFORM_CONSOLE_H_
#define NESTWALK_PLATFORM_CONSOLE_H_

#include <ostream>
#include <string_view>

namespace nestwalk {

class Console {
 public:
  // The streams are not owned and must outlive the console. `quiet` and `debug` are the
  // program-wide flags; they are fixed for the console's life. With `documentOnly` (-json)
  // standard output carries nothing but what Document writes: every other line meant for it
  // goes to standard error instead.
  Console(std::ostream& out, std::ostream& err, bool quiet, bool debug,
          bool documentOnly = false);

  // A console with the flags of this one that writes to `out` and `err` instead.
  Console Redirected(std::ostream& out, std::ostream& err) const {
    return Console(out, err, quiet_, debug_, documentOnly_);
  }

  // Out and Err write a control character other than a line end or a tab as "\1B" (names and
  // directory values must not drive the terminal); Document and Progress write as they are.
  // Standard output, flushed whenever the text holds a line end.
  void Out(std::string_view text);
  // Standard output in every case, flushed: the document of a `documentOnly` console.
  void Document(std::string_view text);
  // Standard error, flushed after every write (unbuffered).
  void Err(std::string_view text);
  // The same, written only when `debug` is set.
  void DebugOut(std::string_view text);
  void DebugErr(std::string_view text);
  // A line on standard error that the next one replaces: the cursor goes back to the start of
  // the line, the text is written and the rest of the line cleared; never escaped. Only for a
  // terminal.
  void Progress(std::string_view line);

  // Whether standard output has failed (its reader went away).
  bool OutputFailed() const { return out_.fail(); }

  bool quiet() const { return quiet_; }
  bool debug() const { return debug_; }
  bool documentOnly() const { return documentOnly_; }

 private:
  std::ostream& out_;
  std::ostream& err_;
  bool quiet_;
  bool debug_;
  bool documentOnly_;
};

}  // namespace nestwalk

#endif  // NESTWALK_PLATFORM_CONSOLE_H_
