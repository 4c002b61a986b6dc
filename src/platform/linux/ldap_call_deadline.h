// The deadline of one libldap call: the connection's socket is cut when it comes (see
// SocketWatchdog), and the call then reports a timeout, as libldap does for a server that stops
// between two messages.
#ifndef NESTWALK_PLATFORM_LINUX_LDAP_CALL_DEADLINE_H_
#define NESTWALK_PLATFORM_LINUX_LDAP_CALL_DEADLINE_H_

#include <ldap.h>

#include "platform/linux/sigpipe_hold.h"
#include "platform/linux/socket_watchdog.h"

namespace nestwalk::platform {

// Makes the connection of `ld` when libldap has not made it yet (within its connect time limit),
// so that its socket is known before a call is timed. 0, or the code the call would have failed
// with.
int EnsureConnected(LDAP* ld);

// Made just before the call and kept until it has returned. A write that fails on the cut socket,
// or on one the server reset, fails with EPIPE instead of raising SIGPIPE (SigpipeHold).
class LdapCallDeadline {
 public:
  // Watches the socket of `ld`'s connection, when it has one, until `deadline`. `watchdog` and
  // `ld` are not owned; `watchdog` must outlive this object.
  LdapCallDeadline(SocketWatchdog& watchdog, LDAP* ld, SocketWatchdog::Clock::time_point deadline);

  // Whether the deadline came and cut the connection.
  bool Cut() const { return watch_.Cut(); }
  // The code the call reports: LDAP_TIMEOUT once the deadline has cut the connection, whatever
  // libldap made of the cut; otherwise `code`.
  int Outcome(int code) const { return Cut() ? LDAP_TIMEOUT : code; }

 private:
  SigpipeHold sigpipe_;
  SocketWatchdog::Watch watch_;
};

// Connects `ld` if need be and runs `call` (a libldap call on `ld` that returns an LDAP code)
// under a deadline; its code, as LdapCallDeadline::Outcome tells it.
template <typename Call>
int CallBefore(SocketWatchdog& watchdog, LDAP* ld, SocketWatchdog::Clock::time_point deadline,
               Call&& call) {
  if (const int code = EnsureConnected(ld); code != LDAP_SUCCESS) return code;
  const LdapCallDeadline bound(watchdog, ld, deadline);
  return bound.Outcome(call());
}

}  // namespace nestwalk::platform

#endif  // NESTWALK_PLATFORM_LINUX_LDAP_CALL_DEADLINE_H_
