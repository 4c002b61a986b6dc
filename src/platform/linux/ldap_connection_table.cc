#include "platform/linux/ldap_connection_table.h"

#include <utility>

namespace nestwalk::platform {

LdapHandle LdapConnectionTable::Add(LdapPtr connection) {
  LdapHandle handle(++lastId_);
  connections_.emplace(handle.id(), std::move(connection));
  return handle;
}

LDAP* LdapConnectionTable::Find(LdapHandle handle) const {
  auto found = connections_.find(handle.id());
  return found == connections_.end() ? nullptr : found->second.get();
}

void LdapConnectionTable::Close(LdapHandle handle) { connections_.erase(handle.id()); }

}  // namespace nestwalk::platform
