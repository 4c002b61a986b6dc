// Escaping of values placed inside LDAP search filters (RFC 4515).
#ifndef NESTWALK_PLATFORM_FILTER_ESCAPE_H_
#define NESTWALK_PLATFORM_FILTER_ESCAPE_H_

#include <string>
#include <string_view>

namespace nestwalk::platform {

// Every byte as a backslash and two lower-case hex digits: for binary values such as a SID.
std::string EscapeFilterBytes(std::string_view bytes);

// A text value with "*", "(", ")", "\" and NUL escaped as \2a \28 \29 \5c \00; every other
// byte unchanged.
std::string EscapeFilterValue(std::string_view text);

}  // namespace nestwalk::platform

#endif  // NESTWALK_PLATFORM_FILTER_ESCAPE_H_
