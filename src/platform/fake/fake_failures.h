// The failures injected into a fake forest, and which operation each of them hits.
#ifndef NESTWALK_PLATFORM_FAKE_FAKE_FAILURES_H_
#define NESTWALK_PLATFORM_FAKE_FAKE_FAILURES_H_

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/directory.h"

namespace nestwalk::fake {

struct BindFailure {
  std::string host;
  std::optional<int> port;  // nullopt: any
  int code = 0;
  std::optional<std::string> serverErrorText;
  std::optional<std::string> reason;  // what BindFailureReason tells after it
};

// Hosts and bases match ignoring ASCII case; the first failure added that fits wins.
class FakeFailures {
 public:
  void AddOpen(const std::string& host, int error);
  void AddOption(const std::string& host, platform::LdapOption option, int code);
  void AddBind(BindFailure failure);
  // `referrals` go with code 10: the URLs the server names.
  void AddSearch(const std::string& host, std::optional<int> port, const std::string& base,
                 int code, std::vector<std::string> referrals = {});

  std::optional<int> OpenFailure(const std::string& host) const;
  std::optional<int> OptionFailure(const std::string& host, platform::LdapOption option) const;
  const BindFailure* BindFailureFor(const std::string& host, int port) const;
  // The answer of a search that fails here, without entries.
  std::optional<platform::SearchResult> SearchFailure(const std::string& host, int port,
                                                      const std::string& base) const;

 private:
  struct OptionCase {
    std::string host;
    platform::LdapOption option;
    int code;
  };
  struct SearchCase {
    std::string host;
    std::optional<int> port;
    std::string base;
    int code;
    std::vector<std::string> referrals;
  };

  std::map<std::string, int> open_;  // lower-cased host
  std::vector<OptionCase> options_;
  std::vector<BindFailure> binds_;
  std::vector<SearchCase> searches_;
};

}  // namespace nestwalk::fake

#endif  // NESTWALK_PLATFORM_FAKE_FAKE_FAILURES_H_
