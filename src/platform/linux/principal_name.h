// Splitting a Kerberos principal in its text form ("alice@CORP.EXAMPLE.COM",
// "host/pc1.corp.example.com@CORP.EXAMPLE.COM") into the parts the program uses.
#ifndef NESTWALK_PLATFORM_LINUX_PRINCIPAL_NAME_H_
#define NESTWALK_PLATFORM_LINUX_PRINCIPAL_NAME_H_

#include <optional>
#include <string>
#include <string_view>

namespace nestwalk::platform {

struct PrincipalParts {
  std::string name;   // the first component, unescaped
  std::string realm;  // unescaped
};

// Components end at an unescaped '/', the realm starts after the first unescaped '@'; a
// backslash escapes the next character ("\n", "\t", "\b" and "\0" stand for their control
// characters, as krb5_unparse_name writes them). nullopt when the first component or the
// realm is empty, or the text ends inside an escape.
std::optional<PrincipalParts> SplitPrincipalName(std::string_view text);

}  // namespace nestwalk::platform

#endif  // NESTWALK_PLATFORM_LINUX_PRINCIPAL_NAME_H_
