// The connections a fake forest gave out: their records, the hosts they reach, the server error
// texts they hold, and the counting of their misuse.
#ifndef NESTWALK_PLATFORM_FAKE_FAKE_CONNECTIONS_H_
#define NESTWALK_PLATFORM_FAKE_FAKE_CONNECTIONS_H_

#include <optional>
#include <string>
#include <vector>

#include "platform/directory.h"
#include "platform/fake/fake_forest.h"

namespace nestwalk::fake {

// libldap's LDAP_PARAM_ERROR: what an operation on a handle that is no connection returns.
inline constexpr int kBadParameter = -9;

class FakeConnections {
 public:
  // A new connection opened with `host` (as given to Open) that reaches `reached`.
  platform::LdapHandle Add(const std::optional<std::string>& host, const std::string& reached,
                           int port, bool ssl);

  // The connection's index, or nullopt for a handle that was never given out.
  std::optional<std::size_t> IndexOf(platform::LdapHandle handle) const;
  // 0 when the handle may be used, else kBadParameter; a use after unbind is counted.
  int CheckUsable(platform::LdapHandle handle);

  ConnectionRecord& record(std::size_t index) { return records_[index]; }
  const ConnectionRecord& record(std::size_t index) const { return records_[index]; }
  const std::string& reachedHost(std::size_t index) const { return reached_[index]; }
  std::optional<std::string>& serverError(std::size_t index) { return serverErrors_[index]; }

  const std::vector<ConnectionRecord>& records() const { return records_; }
  // Uses after unbind plus unbinds beyond the first, over all connections.
  int MisuseCount() const;

 private:
  // Indexed by handle id - 1.
  std::vector<ConnectionRecord> records_;
  std::vector<std::string> reached_;
  std::vector<std::optional<std::string>> serverErrors_;
};

}  // namespace nestwalk::fake

#endif  // NESTWALK_PLATFORM_FAKE_FAKE_CONNECTIONS_H_
