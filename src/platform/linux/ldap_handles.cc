#include "platform/linux/ldap_handles.h"

#include <fcntl.h>

#include "platform/linux/sigpipe_hold.h"

namespace nestwalk::platform {

void LdapUnbind::operator()(LDAP* ld) const {
  int fd = -1;
  if (ldap_get_option(ld, LDAP_OPT_DESC, &fd) == LDAP_OPT_SUCCESS && fd >= 0) {
    if (const int flags = fcntl(fd, F_GETFL); flags >= 0) fcntl(fd, F_SETFL, flags | O_NONBLOCK);
  }
  const SigpipeHold sigpipe;
  ldap_unbind_ext_s(ld, nullptr, nullptr);
}

}  // namespace nestwalk::platform
