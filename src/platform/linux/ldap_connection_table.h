// The open libldap connections of one directory, by the ids that the seam's handles carry.
#ifndef NESTWALK_PLATFORM_LINUX_LDAP_CONNECTION_TABLE_H_
#define NESTWALK_PLATFORM_LINUX_LDAP_CONNECTION_TABLE_H_

#include <cstdint>
#include <map>
#include <mutex>

#include "platform/directory.h"
#include "platform/linux/ldap_handles.h"

namespace nestwalk::platform {

// Safe to use from several threads at once: a connection may be opened or closed on one thread
// while another looks up a different one. Using one connection from two threads at once is
// still the caller's to avoid.
class LdapConnectionTable {
 public:
  // Takes ownership of `connection` and returns its new handle; ids are never reused, so a
  // stale handle can never reach a later connection.
  LdapHandle Add(LdapPtr connection);
  // The connection, still owned by the table; nullptr for an unknown or closed handle.
  LDAP* Find(LdapHandle handle) const;
  // Unbinds and forgets the connection; an unknown handle is ignored.
  void Close(LdapHandle handle);

 private:
  mutable std::mutex mutex_;
  std::map<std::uint64_t, LdapPtr> connections_;
  std::uint64_t lastId_ = 0;
};

}  // namespace nestwalk::platform

#endif  // NESTWALK_PLATFORM_LINUX_LDAP_CONNECTION_TABLE_H_
