// Owning smart pointers for the memory that libldap and liblber hand out. Each deleter is the
// library's own release call, so a value never outlives its owner and is never freed twice.
#ifndef NESTWALK_PLATFORM_LINUX_LDAP_HANDLES_H_
#define NESTWALK_PLATFORM_LINUX_LDAP_HANDLES_H_

#include <ldap.h>

#include <memory>

namespace nestwalk::platform {

// Closing a connection is unbinding it; the result code of the unbind tells nothing useful. It
// never waits on the network: the unbind request goes out only if the socket takes it at once
// (a server that stopped reading would otherwise hold the close for ever), and a socket the
// server reset, or the program cut, fails the write instead of raising SIGPIPE.
struct LdapUnbind {
  void operator()(LDAP* ld) const;
};
using LdapPtr = std::unique_ptr<LDAP, LdapUnbind>;

// A whole result chain (every message of one search).
struct LdapMessageFree {
  void operator()(LDAPMessage* message) const { ldap_msgfree(message); }
};
using LdapMessagePtr = std::unique_ptr<LDAPMessage, LdapMessageFree>;

// The cursor of ldap_first_attribute / ldap_next_attribute.
struct BerElementFree {
  void operator()(BerElement* ber) const { ber_free(ber, 0); }
};
using BerElementPtr = std::unique_ptr<BerElement, BerElementFree>;

// The referral URLs of ldap_parse_result.
struct LdapTextArrayFree {
  void operator()(char** texts) const { ldap_memvfree(reinterpret_cast<void**>(texts)); }
};
using LdapTextArrayPtr = std::unique_ptr<char*, LdapTextArrayFree>;

// The values of ldap_get_values_len.
struct BervalArrayFree {
  void operator()(berval** values) const { ldap_value_free_len(values); }
};
using BervalArrayPtr = std::unique_ptr<berval*, BervalArrayFree>;

// Texts the library allocates: DNs, attribute names, diagnostic messages.
struct LdapMemFree {
  void operator()(char* text) const { ldap_memfree(text); }
};
using LdapTextPtr = std::unique_ptr<char, LdapMemFree>;

// Bytes liblber allocates inside a caller's berval (the cookie of a page response).
struct BerMemFree {
  void operator()(char* bytes) const { ber_memfree(bytes); }
};
using BerBytesPtr = std::unique_ptr<char, BerMemFree>;

// One control, as ldap_create_page_control builds it.
struct LdapControlFree {
  void operator()(LDAPControl* control) const { ldap_control_free(control); }
};
using LdapControlPtr = std::unique_ptr<LDAPControl, LdapControlFree>;

// A parsed LDAP URL.
struct LdapUrlFree {
  void operator()(LDAPURLDesc* url) const { ldap_free_urldesc(url); }
};
using LdapUrlPtr = std::unique_ptr<LDAPURLDesc, LdapUrlFree>;

// A NULL-terminated control list, as ldap_parse_result returns the server's controls.
struct LdapControlsFree {
  void operator()(LDAPControl** controls) const { ldap_controls_free(controls); }
};
using LdapControlsPtr = std::unique_ptr<LDAPControl*, LdapControlsFree>;

}  // namespace nestwalk::platform

#endif  // NESTWALK_PLATFORM_LINUX_LDAP_HANDLES_H_
