// libldap 2.5's descriptions of result codes, as ldap_err2string words them.
#ifndef NESTWALK_PLATFORM_FAKE_FAKE_ERROR_TEXT_H_
#define NESTWALK_PLATFORM_FAKE_FAKE_ERROR_TEXT_H_

#include <string>

namespace nestwalk::fake {

// "Unknown error" for codes libldap does not know, "Unknown API error" for unknown negative ones.
std::string LibldapErrorText(int code);

}  // namespace nestwalk::fake

#endif  // NESTWALK_PLATFORM_FAKE_FAKE_ERROR_TEXT_H_
