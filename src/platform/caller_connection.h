// A connection of the platform's own lookups (the forest's domains, the trusts of a domain):
// port 389 of one server, bound with the caller's Kerberos ticket, closed when it goes.
#ifndef NESTWALK_PLATFORM_CALLER_CONNECTION_H_
#define NESTWALK_PLATFORM_CALLER_CONNECTION_H_

#include <optional>
#include <string>

#include "platform/directory.h"

namespace nestwalk::platform {

class CallerConnection {
 public:
  // Opens and binds at once: protocol version 3, referrals off (a chased referral would not carry
  // the Kerberos bind), a negotiate bind without explicit credentials. `directory` must outlive
  // the connection.
  CallerConnection(Directory& directory, const std::string& host);
  ~CallerConnection();
  CallerConnection(const CallerConnection&) = delete;
  CallerConnection& operator=(const CallerConnection&) = delete;

  // 0 when bound; otherwise the failing step's code (the open's error, kLdapServerDown when it
  // gave none), and the connection must not be searched.
  int status() const { return status_; }
  LdapHandle handle() const { return handle_; }
  // The first value of `attribute` in the server's RootDSE; nullopt, with the search's code in
  // `code` (0 when it succeeded), when the read fails or the value is absent or empty.
  std::optional<std::string> RootDseValue(const std::string& attribute, int& code);

 private:
  Directory& directory_;
  LdapHandle handle_;
  int status_ = 0;
};

}  // namespace nestwalk::platform

#endif  // NESTWALK_PLATFORM_CALLER_CONNECTION_H_
