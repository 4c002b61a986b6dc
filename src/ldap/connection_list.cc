#include "ldap/connection_list.h"

#include <algorithm>
#include <string>

namespace nestwalk {

ConnectionList::ConnectionList(Console& console, platform::Directory& directory)
    : console_(console), directory_(directory) {}

ConnectionList::~ConnectionList() {
  if (unbound_) return;
  for (platform::LdapHandle connection : handles_) directory_.Unbind(connection);
}

void ConnectionList::Append(platform::LdapHandle connection) {
  if (!connection.valid()) return;
  if (std::find(handles_.begin(), handles_.end(), connection) != handles_.end()) return;
  handles_.push_back(connection);
}

void ConnectionList::Remove(platform::LdapHandle connection) { std::erase(handles_, connection); }

void ConnectionList::UnbindAllConnections() {
  if (unbound_) return;
  unbound_ = true;
  for (std::size_t i = 0; i < handles_.size(); ++i) {
    console_.DebugErr("Unbinding LDAP Connection " + std::to_string(i) + "\n");
    directory_.Unbind(handles_[i]);
  }
}

}  // namespace nestwalk
