#include "platform/linux/ldap_connection_table.h"

#include <utility>

namespace nestwalk::platform {

LdapHandle LdapConnectionTable::Add(LdapPtr connection) {
  const std::lock_guard lock(mutex_);
  LdapHandle handle(++lastId_);
  connections_.emplace(handle.id(), std::move(connection));
  return handle;
}

LDAP* LdapConnectionTable::Find(LdapHandle handle) const {
  const std::lock_guard lock(mutex_);
  auto found = connections_.find(handle.id());
  return found == connections_.end() ? nullptr : found->second.get();
}

void LdapConnectionTable::Close(LdapHandle handle) {
  // Unbound once the lock is released: the unbind writes to the socket, and lookups of other
  // connections need not wait for it.
  LdapPtr closing;
  const std::lock_guard lock(mutex_);
  if (auto node = connections_.extract(handle.id())) closing = std::move(node.mapped());
}

}  // namespace nestwalk::platform
