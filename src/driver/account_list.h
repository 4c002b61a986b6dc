// One line of an account list (-in): "domain\name" names a user; "user", "computer" or "group"
// before it (any letter case, then white space) names the kind. Blank lines and lines whose
// first character other than white space is "#" say nothing.
#ifndef NESTWALK_DRIVER_ACCOUNT_LIST_H_
#define NESTWALK_DRIVER_ACCOUNT_LIST_H_

#include <cstddef>
#include <string>
#include <string_view>
#include <variant>

#include "driver/security_principal.h"

namespace nestwalk {

struct NoAccount {};  // a blank line or a comment

struct BadAccountLine {
  std::string reason;  // one line of plain words, no line end
};

// The longest sAMAccountName AD allows, in characters (a computer's "$" counted).
inline constexpr std::size_t kMaxAccountNameCharacters = 256;

// White space around the line and around the name is dropped (a CR too, for lists written
// with CR LF line ends); white space inside the name stays ("CORP\Domain Users"), in the domain
// it makes the line a bad one. A line holding a NUL byte, or a name longer than AD allows, is a
// bad one too: no server is asked about it.
std::variant<NoAccount, SecurityPrincipal, BadAccountLine> ParseAccountLine(std::string_view line);

}  // namespace nestwalk

#endif  // NESTWALK_DRIVER_ACCOUNT_LIST_H_
