#include "platform/linux/ldap_call_deadline.h"

namespace nestwalk::platform {
namespace {

// The socket of the connection, -1 while there is none.
int SocketOf(LDAP* ld) {
  int fd = -1;
  if (ldap_get_option(ld, LDAP_OPT_DESC, &fd) != LDAP_OPT_SUCCESS) return -1;
  return fd;
}

}  // namespace

int EnsureConnected(LDAP* ld) {
  if (SocketOf(ld) >= 0 || ldap_connect(ld) == LDAP_SUCCESS) return LDAP_SUCCESS;
  // What the call itself would have answered: the session's code, which is "server down" unless
  // an earlier call left another.
  int code = LDAP_SUCCESS;
  ldap_get_option(ld, LDAP_OPT_RESULT_CODE, &code);
  return code == LDAP_SUCCESS ? LDAP_SERVER_DOWN : code;
}

LdapCallDeadline::LdapCallDeadline(SocketWatchdog& watchdog, LDAP* ld,
                                   SocketWatchdog::Clock::time_point deadline) {
  if (const int fd = SocketOf(ld); fd >= 0) watch_ = watchdog.Arm(fd, deadline);
}

}  // namespace nestwalk::platform
