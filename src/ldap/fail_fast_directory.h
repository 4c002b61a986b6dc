// A directory that gives a server up once it has stopped answering: after one search or bind
// timed out or found its server gone, every search still waiting on a connection to that host
// and every later one of those connections fails at once with that code, where each would otherwise wait out the
// response time limit again (a frozen server would hold a walk of hundreds of groups for hours).
// Searches sent ahead do not give their server up by their answers: that happens when the run
// takes such an answer (Note), so a run reads ahead or not with the same outcome.
#ifndef NESTWALK_LDAP_FAIL_FAST_DIRECTORY_H_
#define NESTWALK_LDAP_FAIL_FAST_DIRECTORY_H_

#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/directory.h"
#include "platform/directory_wrapper.h"

namespace nestwalk {

// Calls may come from several threads at once, as the wrapped directory's may.
class FailFastDirectory : public platform::DirectoryWrapper {
 public:
  // `directory` is not owned and must outlive this object.
  explicit FailFastDirectory(platform::Directory& directory) : DirectoryWrapper(directory) {}

  // Whether the connection's server has been given up.
  bool IsGivenUp(platform::LdapHandle connection) const {
    return GivenUpCode(connection).has_value();
  }
  // The code its server was given up with; nullopt while it answers.
  std::optional<int> GivenUpCode(platform::LdapHandle connection) const;
  // Notes the outcome of a search or bind of `connection` that the run takes: a code that says
  // its server stopped answering gives the server up.
  void Note(platform::LdapHandle connection, int code);

  // Remembers the host of each connection, so that all of a server's connections go together.
  // A failure to open does not give its host up.
  platform::OpenResult Open(const std::optional<std::string>& host, int port, bool ssl) override;
  // A bind of a server given up fails at once; one that times out gives its server up.
  int SimpleBind(platform::LdapHandle connection, const std::optional<std::string>& dn,
                 const std::optional<std::string>& password) override;
  int NegotiateBind(platform::LdapHandle connection,
                    const std::optional<platform::ExplicitCredentials>& credentials) override;
  platform::SearchResult Search(platform::LdapHandle connection,
                                const platform::SearchRequest& request) override;
  // Ids are this directory's own; a search of a server given up is answered at once, and what
  // is still waiting on a server is answered at once when it is given up.
  int SendSearch(platform::LdapHandle connection, const platform::SearchRequest& request) override;
  std::vector<platform::SearchAnswer> AwaitAnswers(std::chrono::milliseconds maxWait) override;
  std::unique_ptr<platform::PagedSearch> StartPagedSearch(platform::LdapHandle connection,
                                                          const platform::SearchRequest& request,
                                                          int pageSize) override;
  void Unbind(platform::LdapHandle connection) override;

 private:
  struct Sent {
    platform::LdapHandle connection;
    int targetId = 0;  // the wrapped directory's id
  };

  // GivenUpCode, under mutex_.
  std::optional<int> LockedGivenUpCode(platform::LdapHandle connection) const;
  // Gives the connection's server up and answers what is still waiting on it. Under mutex_.
  void GiveUp(platform::LdapHandle connection, int code);

  mutable std::mutex mutex_;
  struct Opened {
    std::string host;       // "" the default
    std::uint64_t order = 0;  // the how-manieth open of this directory
  };
  struct GivenUp {
    int code = 0;
    std::uint64_t upTo = 0;  // the connections opened up to this one are given up
  };
  std::map<std::uint64_t, Opened> hosts_;  // by connection id
  std::map<std::string, GivenUp> givenUp_;  // by host
  std::uint64_t opens_ = 0;
  std::map<int, Sent> sent_;                    // by this directory's id, until answered
  std::map<int, int> byTargetId_;               // this directory's id of each one sent on
  std::vector<platform::SearchAnswer> ready_;   // answered without the wrapped directory
  int lastId_ = 0;
};

}  // namespace nestwalk

#endif  // NESTWALK_LDAP_FAIL_FAST_DIRECTORY_H_
