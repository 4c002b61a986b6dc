// wldap32 reports its client-side failures with codes of its own (0x51 server down, 0x55
// time-out, ...); the program, like libldap, knows them as negative codes (kLdapServerDown,
// kLdapTimeout). The codes the server sends (0 to 0x50) are the same on both sides.
#ifndef NESTWALK_PLATFORM_WINDOWS_LDAP_RESULT_CODES_H_
#define NESTWALK_PLATFORM_WINDOWS_LDAP_RESULT_CODES_H_

namespace nestwalk::platform {

// What an operation on a handle the directory does not know returns: the parameter error, as
// libldap numbers it.
inline constexpr int kLdapParamError = -9;

// A wldap32 code as the program's code: 0x51 to 0x61 become -1 to -17 (libldap's numbering),
// except 0x5e (no results returned), which the program knows by that value; every other code
// is passed on.
int ProgramLdapCode(unsigned long windowsCode);

// The reverse, for the library's own texts of a program code.
unsigned long WindowsLdapCode(int programCode);

}  // namespace nestwalk::platform

#endif  // NESTWALK_PLATFORM_WINDOWS_LDAP_RESULT_CODES_H_
