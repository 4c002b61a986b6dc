// The run-wide list of open connections (OpenConnections). It owns every handle appended to it
// and closes each exactly once.
#ifndef NESTWALK_LDAP_CONNECTION_LIST_H_
#define NESTWALK_LDAP_CONNECTION_LIST_H_

#include <vector>

#include "platform/console.h"
#include "platform/directory.h"

namespace nestwalk {

class ConnectionList {
 public:
  ConnectionList(Console& console, platform::Directory& directory);
  // Closes, without a word, whatever UnbindAllConnections has not closed.
  ~ConnectionList();
  ConnectionList(const ConnectionList&) = delete;
  ConnectionList& operator=(const ConnectionList&) = delete;

  // Takes ownership of a bound handle; appending a handle already listed does nothing.
  void Append(platform::LdapHandle connection);
  // Gives up a handle that someone else has already closed (the RootDSE reader on failure).
  void Remove(platform::LdapHandle connection);
  // Closes every listed handle in the order opened, with "Unbinding LDAP Connection <i>\n" in
  // debug mode. Runs once; later calls do nothing.
  void UnbindAllConnections();

  const std::vector<platform::LdapHandle>& handles() const { return handles_; }

 private:
  Console& console_;
  platform::Directory& directory_;
  std::vector<platform::LdapHandle> handles_;
  bool unbound_ = false;
};

}  // namespace nestwalk

#endif  // NESTWALK_LDAP_CONNECTION_LIST_H_
