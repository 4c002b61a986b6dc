#include "platform/console.h"

namespace nestwalk {

Console::Console(std::ostream& out, std::ostream& err, bool quiet, bool debug,
                 bool documentOnly)
    : out_(out), err_(err), quiet_(quiet), debug_(debug), documentOnly_(documentOnly) {}

void Console::Out(std::string_view text) {
  if (documentOnly_) {
    Err(text);
    return;
  }
  out_ << text;
  if (text.find('\n') != std::string_view::npos) out_.flush();
}

void Console::Document(std::string_view text) {
  out_ << text;
  out_.flush();
}

void Console::Err(std::string_view text) {
  err_ << text;
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
