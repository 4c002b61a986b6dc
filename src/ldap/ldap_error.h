// The two line formats of LDAP failures.
#ifndef NESTWALK_LDAP_LDAP_ERROR_H_
#define NESTWALK_LDAP_LDAP_ERROR_H_

#include <string_view>

#include "platform/console.h"
#include "platform/directory.h"

namespace nestwalk {

// "<label>: [<server>] Error 0x<hex> (<decimal>) - <library text>\n", then, when `connection`
// is valid and its server sent a text, "Extended Error: (<text>)\n". Standard error.
void ReportLdapError(Console& console, platform::Directory& directory, std::string_view label,
                     std::string_view server, int code, platform::LdapHandle connection);

// "LDAP_SEARCH_S: 0x<hex>\nLDAP_SEARCH_S: <library text>\n\n" on standard error; for a
// referral, "   Referral to <url> not followed\n" for each URL before the blank line.
void ReportSearchFailure(Console& console, platform::Directory& directory,
                         const platform::SearchResult& result);

}  // namespace nestwalk

#endif  // NESTWALK_LDAP_LDAP_ERROR_H_
