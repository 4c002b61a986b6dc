// The MIT Kerberos facts the program needs: the caller's ticket cache principal, the default
// realm, and the realm of the machine account in the system keytab. Every library handle is
// released before these return.
#ifndef NESTWALK_PLATFORM_LINUX_KERBEROS_H_
#define NESTWALK_PLATFORM_LINUX_KERBEROS_H_

#include <optional>
#include <string>

namespace nestwalk::platform {

enum class CachePrincipalError {
  kNone,
  kLibraryUnavailable,  // no Kerberos context (broken krb5.conf, out of memory)
  kNoCache,             // no default ticket cache
  kNoPrincipal,         // the cache exists but names no usable principal
};

struct CachePrincipal {
  CachePrincipalError error = CachePrincipalError::kNone;
  std::string principal;  // krb5_unparse_name text when error is kNone
};

// The principal of the default credential cache (KRB5CCNAME or the configured default).
CachePrincipal DefaultCachePrincipal();

// What keeps the caller's ticket cache from serving a Kerberos bind to a server.
enum class TicketProblem {
  kNone,
  kNoTicket,    // no cache, no readable principal, or no ticket-granting ticket of its realm
  kExpired,     // that ticket-granting ticket has expired
  kOtherRealm,  // its realm is not the one Kerberos maps the server's host to
};

struct CallerTicket {
  TicketProblem problem = TicketProblem::kNone;
  std::string ticketRealm;  // the cache principal's realm; empty without one
  std::string serverRealm;  // the realm of the server's host; empty when not known
};

// Checks the default credential cache against the server `serverHost`. Reads the cache and
// krb5.conf only (and DNS when krb5.conf asks for realms from DNS); asks no KDC. kNone also
// when the Kerberos library cannot start: then nothing is known.
CallerTicket CheckCallerTicket(const std::string& serverHost);

// An empty KRB5CCNAME names no cache, and libkrb5 reads past its end: this unsets it, so that the
// configured default cache applies as when it is unset. It changes the environment: call it
// before any other thread starts and before any Kerberos or SASL call.
void ForgetEmptyCacheName();

// The default realm of krb5.conf; nullopt when none is configured.
std::optional<std::string> DefaultRealm();

// The realm of the first machine-account entry ("NAME$@REALM", one component ending in '$')
// of the default keytab; nullopt when there is none or the keytab cannot be read.
std::optional<std::string> KeytabMachineRealm();

}  // namespace nestwalk::platform

#endif  // NESTWALK_PLATFORM_LINUX_KERBEROS_H_
