// The URL that ldap_initialize is given for a host, a port and the SSL flag.
#ifndef NESTWALK_PLATFORM_LINUX_LDAP_URL_H_
#define NESTWALK_PLATFORM_LINUX_LDAP_URL_H_

#include <optional>
#include <string>

namespace nestwalk::platform {

// "ldap://host:port" or "ldaps://host:port". An IPv6 literal is put in brackets (unless it
// already is); characters that would end the host part of a URL are percent-encoded, which
// libldap decodes again, so a host name can never add a path or a filter to the URL. A port
// of 0 or less is left out (the scheme's default). No host, or an empty one, gives nullopt:
// the library's configured default server, port included.
std::optional<std::string> BuildLdapUrl(const std::optional<std::string>& host, int port, bool ssl);

}  // namespace nestwalk::platform

#endif  // NESTWALK_PLATFORM_LINUX_LDAP_URL_H_
