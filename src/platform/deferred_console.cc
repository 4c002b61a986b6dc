#include "platform/deferred_console.h"

#include <string>

namespace nestwalk {

DeferredConsole::DeferredConsole(const Console& like)
    : console_(out_, err_, like.quiet(), like.debug(), like.documentOnly()) {}

void DeferredConsole::ReplayInto(Console& target) {
  const std::string out = out_.str();
  const std::string err = err_.str();
  out_.str({});
  err_.str({});
  if (!out.empty()) target.Out(out);
  if (!err.empty()) target.Err(err);
}

}  // namespace nestwalk
