#include "ldap/fail_fast_directory.h"

#include <utility>

#include "text/case_folding.h"

namespace nestwalk {

namespace {

// libldap's LDAP_CONNECT_ERROR: the connection could not be made again.
constexpr int kLdapConnectError = -11;

// Codes that say the server stopped answering, not that it refused this one search.
bool StoppedAnswering(int code) {
  return code == platform::kLdapTimeout || code == platform::kLdapServerDown ||
         code == kLdapConnectError;
}

// A paged search that tells its directory how each page went; one of a connection given up
// fails at its first page.
class FailFastPagedSearch : public platform::PagedSearch {
 public:
  FailFastPagedSearch(FailFastDirectory& owner, platform::LdapHandle connection,
                      std::unique_ptr<platform::PagedSearch> search, std::optional<int> givenUp)
      : owner_(owner), connection_(connection), search_(std::move(search)), givenUp_(givenUp) {}

  int NextPage(std::vector<platform::Entry>& page) override {
    if (givenUp_) return *givenUp_;
    const int status = search_->NextPage(page);
    owner_.Note(connection_, status);
    return status;
  }

 private:
  FailFastDirectory& owner_;
  platform::LdapHandle connection_;
  std::unique_ptr<platform::PagedSearch> search_;
  std::optional<int> givenUp_;
};

}  // namespace

std::optional<int> FailFastDirectory::GivenUpCode(platform::LdapHandle connection) const {
  const std::lock_guard lock(mutex_);
  return LockedGivenUpCode(connection);
}

platform::OpenResult FailFastDirectory::Open(const std::optional<std::string>& host, int port,
                                             bool ssl) {
  platform::OpenResult opened = DirectoryWrapper::Open(host, port, ssl);
  if (opened.handle.valid()) {
    const std::lock_guard lock(mutex_);
    hosts_[opened.handle.id()] = Opened{LowerCaseText(host.value_or("")), ++opens_};
  }
  return opened;
}

std::optional<int> FailFastDirectory::LockedGivenUpCode(platform::LdapHandle connection) const {
  auto opened = hosts_.find(connection.id());
  if (opened == hosts_.end()) return std::nullopt;
  auto found = givenUp_.find(opened->second.host);
  if (found == givenUp_.end() || opened->second.order > found->second.upTo) return std::nullopt;
  return found->second.code;
}

void FailFastDirectory::GiveUp(platform::LdapHandle connection, int code) {
  auto opened = hosts_.find(connection.id());
  if (opened == hosts_.end() || LockedGivenUpCode(connection)) return;
  givenUp_[opened->second.host] = GivenUp{code, opens_};
  for (auto it = sent_.begin(); it != sent_.end();) {
    if (!LockedGivenUpCode(it->second.connection)) {
      ++it;
      continue;
    }
    ready_.push_back({it->second.connection, it->first, platform::SearchResult{code, {}}});
    byTargetId_.erase(it->second.targetId);
    it = sent_.erase(it);
  }
}

void FailFastDirectory::Note(platform::LdapHandle connection, int code) {
  if (!StoppedAnswering(code)) return;
  const std::lock_guard lock(mutex_);
  GiveUp(connection, code);
}

int FailFastDirectory::SimpleBind(platform::LdapHandle connection,
                                  const std::optional<std::string>& dn,
                                  const std::optional<std::string>& password) {
  {
    const std::lock_guard lock(mutex_);
    if (std::optional<int> code = LockedGivenUpCode(connection)) return *code;
  }
  const int code = DirectoryWrapper::SimpleBind(connection, dn, password);
  Note(connection, code);
  return code;
}

int FailFastDirectory::NegotiateBind(
    platform::LdapHandle connection,
    const std::optional<platform::ExplicitCredentials>& credentials) {
  {
    const std::lock_guard lock(mutex_);
    if (std::optional<int> code = LockedGivenUpCode(connection)) return *code;
  }
  const int code = DirectoryWrapper::NegotiateBind(connection, credentials);
  Note(connection, code);
  return code;
}

platform::SearchResult FailFastDirectory::Search(platform::LdapHandle connection,
                                                 const platform::SearchRequest& request) {
  {
    const std::lock_guard lock(mutex_);
    if (std::optional<int> code = LockedGivenUpCode(connection)) return {*code, {}};
  }
  platform::SearchResult result = DirectoryWrapper::Search(connection, request);
  Note(connection, result.code);
  return result;
}

int FailFastDirectory::SendSearch(platform::LdapHandle connection,
                                  const platform::SearchRequest& request) {
  const std::lock_guard lock(mutex_);
  const int id = ++lastId_;
  if (std::optional<int> code = LockedGivenUpCode(connection)) {
    ready_.push_back({connection, id, platform::SearchResult{*code, {}}});
    return id;
  }
  const int targetId = DirectoryWrapper::SendSearch(connection, request);
  sent_[id] = Sent{connection, targetId};
  byTargetId_[targetId] = id;
  return id;
}

std::vector<platform::SearchAnswer> FailFastDirectory::AwaitAnswers(
    std::chrono::milliseconds maxWait) {
  bool answersReady = false;
  {
    const std::lock_guard lock(mutex_);
    answersReady = !ready_.empty();
  }
  // What is answered already is not kept waiting for what the servers still owe.
  std::vector<platform::SearchAnswer> answers =
      DirectoryWrapper::AwaitAnswers(answersReady ? std::chrono::milliseconds(0) : maxWait);
  const std::lock_guard lock(mutex_);
  std::vector<platform::SearchAnswer> delivered;
  for (platform::SearchAnswer& answer : answers) {
    auto mine = byTargetId_.find(answer.id);
    if (mine == byTargetId_.end()) continue;  // answered already, its connection given up
    answer.id = mine->second;
    sent_.erase(mine->second);
    byTargetId_.erase(mine);
    delivered.push_back(std::move(answer));
  }
  for (platform::SearchAnswer& answer : ready_) delivered.push_back(std::move(answer));
  ready_.clear();
  return delivered;
}

std::unique_ptr<platform::PagedSearch> FailFastDirectory::StartPagedSearch(
    platform::LdapHandle connection, const platform::SearchRequest& request, int pageSize) {
  std::optional<int> givenUp;
  {
    const std::lock_guard lock(mutex_);
    givenUp = LockedGivenUpCode(connection);
  }
  if (givenUp) return std::make_unique<FailFastPagedSearch>(*this, connection, nullptr, givenUp);
  std::unique_ptr<platform::PagedSearch> search =
      DirectoryWrapper::StartPagedSearch(connection, request, pageSize);
  if (search == nullptr) return nullptr;
  return std::make_unique<FailFastPagedSearch>(*this, connection, std::move(search), std::nullopt);
}

void FailFastDirectory::Unbind(platform::LdapHandle connection) {
  {
    const std::lock_guard lock(mutex_);
    hosts_.erase(connection.id());
    std::erase_if(ready_,
                  [&](const platform::SearchAnswer& a) { return a.connection == connection; });
    for (auto it = sent_.begin(); it != sent_.end();) {
      if (it->second.connection == connection) {
        byTargetId_.erase(it->second.targetId);
        it = sent_.erase(it);
      } else {
        ++it;
      }
    }
  }
  DirectoryWrapper::Unbind(connection);
}

}  // namespace nestwalk
