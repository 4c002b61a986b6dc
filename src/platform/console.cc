#include "platform/console.h"

#include <string>

#include "text/utf8_escape.h"

namespace nestwalk {

namespace {

// Names from the command line and values from the directory reach the terminal through here: a
// control character other than a line end or a tab is written "\1B", never raw.
template <typename Write>
void WriteSafely(std::string_view text, Write write) {
  const bool plain = !HoldsControlCharacters(text, /*keepLayout=*/true);
  if (plain) {
    write(text);
  } else {
    write(EscapeControlCharacters(text, /*keepLayout=*/true));
  }
}

}  // namespace

Console::Console(std::ostream& out, std::ostream& err, bool quiet, bool debug, bool documentOnly)
    : out_(out), err_(err), quiet_(quiet), debug_(debug), documentOnly_(documentOnly) {}

void Console::Out(std::string_view text) {
  if (documentOnly_) {
    Err(text);
    return;
  }
  WriteSafely(text, [this](std::string_view safe) { out_ << safe; });
  if (text.find('\n') != std::string_view::npos) out_.flush();
}

void Console::Document(std::string_view text) {
  out_ << text;
  out_.flush();
}

void Console::Err(std::string_view text) {
  WriteSafely(text, [this](std::string_view safe) { err_ << safe; });
  err_.flush();
}

void Console::DebugOut(std::string_view text) {
  if (debug_) Out(text);
}

void Console::DebugErr(std::string_view text) {
  if (debug_) Err(text);
}

void Console::Progress(std::string_view line) {
  err_ << '\r' << line << "\x1b[K";
  err_.flush();
}

}  // namespace nestwalk
