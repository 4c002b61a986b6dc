// The reason behind a refused bind, in words: Active Directory names the cause of a refused
// logon in its error text ("... AcceptSecurityContext error, data 775, v4563"), which the bare
// result code (49, invalid credentials) does not tell.
#ifndef NESTWALK_PLATFORM_WINDOWS_REFUSED_BIND_H_
#define NESTWALK_PLATFORM_WINDOWS_REFUSED_BIND_H_

#include <string>
#include <string_view>

namespace nestwalk::platform {

// One line for a bind that returned the program's `code` with the server's error text
// `serverText` (empty when none): the cause that the text's "data <hex>" names; for invalid
// credentials without one, what an explicit identity (`explicitIdentity`) may have got wrong.
// Empty when there is nothing to add, after a success among others.
std::string RefusedBindReason(int code, std::string_view serverText, bool explicitIdentity);

}  // namespace nestwalk::platform

#endif  // NESTWALK_PLATFORM_WINDOWS_REFUSED_BIND_H_
