#include "platform/fake/fake_forest.h"

#include <algorithm>
#include <mutex>
#include <set>
#include <stdexcept>
#include <tuple>
#include <utility>

#include "platform/fake/fake_attribute_selection.h"
#include "platform/fake/fake_connections.h"
#include "platform/fake/fake_error_text.h"
#include "platform/fake/fake_failures.h"
#include "platform/fake/fake_filter.h"
#include "platform/fake/fake_locator.h"
#include "platform/fake/fake_paged_search.h"
#include "platform/fake/fake_root_dse.h"
#include "platform/fake/fake_tree.h"
#include "platform/sid.h"
#include "text/case_folding.h"

namespace nestwalk::fake {

namespace {

constexpr int kOperationsError = 1;
constexpr int kBadSearchFilter = -7;
constexpr int kSizeLimitExceeded = 4;
constexpr char kBindRequiredText[] =
    "000004DC: LdapErr: DSID-0C090A71, comment: In order to perform this operation a successful "
    "bind must be completed on the connection., data 0, v4563";

bool IsGlobalCatalogPort(int port) { return port == 3268 || port == 3269; }
bool IsDirectoryPort(int port) { return port == 389 || port == 636 || IsGlobalCatalogPort(port); }

std::string OptionText(platform::LdapOption option, int value) {
  switch (option) {
    case platform::LdapOption::kProtocolVersion:
      return "version=" + std::to_string(value);
    case platform::LdapOption::kReferrals:
      return "referrals=" + std::to_string(value);
    case platform::LdapOption::kEncryption:
      return "encryption=" + std::to_string(value);
  }
  return "unknown=" + std::to_string(value);
}

}  // namespace

struct FakeForest::State {
  // Held by every seam call.
  std::mutex mutex;
  FakeTree tree;
  std::map<std::string, std::vector<platform::Attribute>> rootDseOverrides;  // lower-cased host
  int maxValueRange = 0;
  int maxPageSize = 0;
  int sizeLimit = 0;
  std::string defaultServer;

  std::map<std::tuple<std::string, std::string, bool>, platform::LocatorAnswer> locatorAnswers;
  std::optional<platform::SiteAnswer> localSite;
  std::optional<platform::ForestDomainsAnswer> forestDomains;
  bool pingsTogether = false;
  platform::ComputerNameAnswer computerName;
  platform::JoinAnswer join;
  platform::LoggedOnUserAnswer loggedOnUser;
  // Of UseIdentity: what a negotiate bind without credentials binds as.
  std::optional<platform::ExplicitCredentials> identity;

  FakeFailures failures;
  // A server that stops answering: how many of its searches are answered first, how many
  // have been, and how many waits its silence has cost since (by lower-cased host).
  struct Freeze {
    int answered = 0;
    int seen = 0;
    int waits = 0;
  };
  std::map<std::string, Freeze> frozen;
  // A server whose connections are lost: after `answered` of its searches every connection to
  // it open at that moment (index below `lostBelow`) fails; later ones work (by lower-cased host).
  struct Reset {
    int answered = 0;
    int seen = 0;
    std::optional<std::size_t> lostBelow;
  };
  std::map<std::string, Reset> resets;
  // A search whose base this is, on this host, is cut by an interrupt (lower-cased host, base).
  std::optional<std::pair<std::string, std::string>> interruptingSearch;
  FakeRunControl* control = nullptr;
  std::optional<PageFailure> pageFailure;
  bool failPagedStart = false;

  FakeConnections connections;
  int lastSentId = 0;
  std::vector<platform::SearchAnswer> unanswered;  // sent searches, answered when awaited
  std::vector<SearchRecord> searches;
  std::vector<LocatorCall> locatorCalls;
  int roundTrips = 0;
  bool tripOpen = false;  // requests are out whose answers have not arrived

  // Counts a request into the open trip or a new one; one that waits for its answer closes it.
  void CountRequest(bool waitsForAnswer) {
    if (!tripOpen) ++roundTrips;
    tripOpen = !waitsForAnswer;
  }

  platform::SearchResult RecordedSearch(platform::LdapHandle connection,
                                        const platform::SearchRequest& request) {
    if (int code = connections.CheckUsable(connection); code != 0) {
      return platform::SearchResult{code, {}};
    }
    searches.push_back(SearchRecord{connection, request});
    return Search(*connections.IndexOf(connection), request);
  }

  // The check before every page of a paged search, which waits for its answer like a Search.
  int PageRequest(platform::LdapHandle connection) {
    std::lock_guard lock(mutex);
    CountRequest(/*waitsForAnswer=*/true);
    return connections.CheckUsable(connection);
  }

  platform::SiteAnswer SiteName(const std::string& computerName) const {
    if (!computerName.empty()) {
      const ServerSetup* server = tree.FindServer(platform::HostOfServerName(computerName));
      if (server == nullptr) return platform::SiteAnswer{platform::kRpcServerUnavailable, ""};
      return platform::SiteAnswer{0, server->site};
    }
    if (localSite) return *localSite;
    const std::vector<ServerSetup>& all = tree.servers();
    return platform::SiteAnswer{0, all.empty() ? "" : all.front().site};
  }

  // The view behind a connection, or nullopt when nothing answers there.
  std::optional<View> ViewOf(std::size_t index) const {
    const ServerSetup* server = tree.FindServer(connections.reachedHost(index));
    int port = connections.record(index).port;
    if (server == nullptr || !IsDirectoryPort(port)) return std::nullopt;
    bool globalCatalog = IsGlobalCatalogPort(port);
    if (globalCatalog && !server->globalCatalog) return std::nullopt;
    return View{server, globalCatalog};
  }

  // Whether the host of connection `index` has stopped answering: a search or a bind of it
  // waits out its time limit (counted) and times out.
  bool Silent(std::size_t index, bool counts) {
    auto freeze = frozen.find(LowerCaseText(connections.reachedHost(index)));
    if (freeze == frozen.end()) return false;
    if (counts && freeze->second.seen++ < freeze->second.answered) return false;
    if (!counts && freeze->second.seen < freeze->second.answered) return false;
    ++freeze->second.waits;
    return true;
  }

  // Whether connection `index` was lost; a search of its host counts towards the reset.
  bool Lost(std::size_t index, bool counts = true) {
    auto reset = resets.find(LowerCaseText(connections.reachedHost(index)));
    if (reset == resets.end()) return false;
    Reset& state = reset->second;
    if (!state.lostBelow && counts && state.seen++ >= state.answered) {
      state.lostBelow = connections.records().size();
    }
    return state.lostBelow && index < *state.lostBelow;
  }

  // A read cut by a signal: libldap reports its server as gone.
  bool InterruptsHere(std::size_t index, const std::string& base) {
    if (!interruptingSearch ||
        interruptingSearch->first != LowerCaseText(connections.reachedHost(index)) ||
        interruptingSearch->second != LowerCaseText(base)) {
      return false;
    }
    control->Interrupt();
    return true;
  }

  int Bind(platform::LdapHandle handle) {
    if (int code = connections.CheckUsable(handle); code != 0) return code;
    std::size_t index = *connections.IndexOf(handle);
    ConnectionRecord& record = connections.record(index);
    ++record.bindCount;
    record.bound = false;
    connections.serverError(index).reset();
    if (Silent(index, /*counts=*/false)) return platform::kLdapTimeout;
    if (Lost(index, /*counts=*/false)) return platform::kLdapServerDown;
    if (const BindFailure* failure =
            failures.BindFailureFor(connections.reachedHost(index), record.port)) {
      connections.serverError(index) = failure->serverErrorText;
      return failure->code;
    }
    if (!ViewOf(index)) return platform::kLdapServerDown;
    record.bound = true;
    return platform::kLdapSuccess;
  }

  platform::SearchResult RootDse(const View& view, const platform::SearchRequest& request) const {
    auto overridden = rootDseOverrides.find(LowerCaseText(view.server->host));
    std::vector<platform::Attribute> attributes = overridden != rootDseOverrides.end()
                                                      ? overridden->second
                                                      : BuildRootDse(tree, *view.server);
    return platform::SearchResult{
        platform::kLdapSuccess,
        {platform::Entry{"", SelectAttributes(attributes, request.attributes,
                                              request.attributesOnly, maxValueRange)}}};
  }

  // A search on a usable connection, after it was recorded; a paged one knows no size limit.
  platform::SearchResult Search(std::size_t index, const platform::SearchRequest& request,
                                bool paged = false) {
    const ConnectionRecord& record = connections.record(index);
    if (Silent(index, /*counts=*/true)) return platform::SearchResult{platform::kLdapTimeout, {}};
    if (Lost(index)) return platform::SearchResult{platform::kLdapServerDown, {}};
    if (InterruptsHere(index, request.base)) {
      return platform::SearchResult{platform::kLdapServerDown, {}};
    }
    if (std::optional<platform::SearchResult> failed =
            failures.SearchFailure(connections.reachedHost(index), record.port, request.base)) {
      return *failed;
    }
    std::optional<View> view = ViewOf(index);
    if (!view) return platform::SearchResult{platform::kLdapServerDown, {}};
    if (request.base.empty() && request.scope == platform::SearchScope::kBase) {
      return RootDse(*view, request);
    }
    if (!record.bound) {
      connections.serverError(index) = kBindRequiredText;
      return platform::SearchResult{kOperationsError, {}};
    }
    std::optional<Filter> filter = ParseFilter(request.filter);
    if (!filter) return platform::SearchResult{kBadSearchFilter, {}};
    FindResult found = tree.Find(*view, request.base, request.scope, *filter);
    if (!paged && sizeLimit > 0 && found.entries.size() > static_cast<std::size_t>(sizeLimit)) {
      found.entries.resize(static_cast<std::size_t>(sizeLimit));
      found.code = kSizeLimitExceeded;
    }
    platform::SearchResult result{found.code, {}};
    for (platform::Entry& entry : found.entries) {
      entry.attributes = SelectAttributes(entry.attributes, request.attributes,
                                          request.attributesOnly, maxValueRange);
      result.entries.push_back(std::move(entry));
    }
    return result;
  }
};

FakeForest::FakeForest() : state_(std::make_unique<State>()) { state_->control = &control_; }
FakeForest::~FakeForest() = default;

// ---- building the forest ----------------------------------------------------------------------

void FakeForest::BeginForest() { state_->tree.BeginForest(); }

void FakeForest::AddDomain(const DomainSetup& domain) { state_->tree.AddDomain(domain); }

void FakeForest::AddServer(const ServerSetup& server) { state_->tree.AddServer(server); }

void FakeForest::AddEntry(const std::string& dn, std::vector<platform::Attribute> attributes) {
  state_->tree.PutEntry(dn, std::move(attributes));
}

namespace {

std::vector<platform::Attribute> AccountAttributes(const FakeTree& tree, const std::string& dn,
                                                   const std::string& samName, unsigned rid,
                                                   std::vector<platform::Attribute> kind) {
  std::vector<platform::Attribute> attributes = std::move(kind);
  attributes.push_back({"sAMAccountName", {samName}});
  const FakeDomain* domain = tree.DomainHolding(dn);
  if (rid > 0 && domain != nullptr) {
    if (std::optional<std::string> sid =
            platform::SidFromText(domain->setup.sid + "-" + std::to_string(rid))) {
      attributes.push_back({"objectSid", {*sid}});
    }
  }
  return attributes;
}

}  // namespace

void FakeForest::AddUser(const std::string& dn, const std::string& samName,
                         const std::string& primaryGroupId, unsigned rid) {
  AddEntry(dn,
           AccountAttributes(state_->tree, dn, samName, rid,
                             {{"objectClass", {"top", "person", "organizationalPerson", "user"}},
                              {"objectCategory", {"person"}},
                              {"primaryGroupID", {primaryGroupId}}}));
}

void FakeForest::AddComputer(const std::string& dn, const std::string& samName,
                             const std::string& primaryGroupId, unsigned rid) {
  AddEntry(dn, AccountAttributes(
                   state_->tree, dn, samName, rid,
                   {{"objectClass", {"top", "person", "organizationalPerson", "user", "computer"}},
                    {"objectCategory", {"computer"}},
                    {"primaryGroupID", {primaryGroupId}}}));
}

void FakeForest::AddGroup(const std::string& dn, const std::string& samName,
                          const std::string& groupType, std::vector<std::string> memberDns,
                          unsigned rid) {
  std::vector<platform::Attribute> kind{
      {"objectClass", {"top", "group"}}, {"objectCategory", {"group"}}, {"groupType", {groupType}}};
  if (!memberDns.empty()) kind.push_back({"member", std::move(memberDns)});
  AddEntry(dn, AccountAttributes(state_->tree, dn, samName, rid, std::move(kind)));
}

void FakeForest::AddValue(const std::string& dn, const std::string& attribute,
                          const std::string& value) {
  if (!state_->tree.AppendValue(dn, attribute, value)) {
    throw std::invalid_argument("FakeForest::AddValue: no entry " + dn);
  }
}

void FakeForest::SetRootDse(const std::string& host, std::vector<platform::Attribute> attributes) {
  state_->rootDseOverrides[LowerCaseText(host)] = std::move(attributes);
}

void FakeForest::SetMaxValueRange(int maxValues) { state_->maxValueRange = maxValues; }
void FakeForest::SetMaxPageSize(int maxPageSize) { state_->maxPageSize = maxPageSize; }
void FakeForest::SetDefaultServer(const std::string& host) { state_->defaultServer = host; }

// ---- locator and host answers -------------------------------------------------------------------

void FakeForest::SetLocatorAnswer(const std::string& computerName, const std::string& domainName,
                                  bool wantGlobalCatalog, platform::LocatorAnswer answer) {
  state_->locatorAnswers[{LowerCaseText(computerName), LowerCaseText(domainName),
                          wantGlobalCatalog}] = std::move(answer);
}

void FakeForest::SetLocalSite(platform::SiteAnswer answer) {
  state_->localSite = std::move(answer);
}
void FakeForest::SetForestDomains(platform::ForestDomainsAnswer answer) {
  state_->forestDomains = std::move(answer);
}
void FakeForest::SetComputerName(platform::ComputerNameAnswer answer) {
  state_->computerName = std::move(answer);
}
void FakeForest::SetJoinInformation(platform::JoinAnswer answer) {
  state_->join = std::move(answer);
}
void FakeForest::SetLoggedOnUser(platform::LoggedOnUserAnswer answer) {
  state_->loggedOnUser = std::move(answer);
}

// ---- failure injection --------------------------------------------------------------------------

void FakeForest::FailOpen(const std::string& host, int error) {
  state_->failures.AddOpen(host, error);
}

void FakeForest::FailOption(const std::string& host, platform::LdapOption option, int code) {
  state_->failures.AddOption(host, option, code);
}

void FakeForest::FailBind(const std::string& host, std::optional<int> port, int code,
                          std::optional<std::string> serverErrorText,
                          std::optional<std::string> reason) {
  state_->failures.AddBind({host, port, code, std::move(serverErrorText), std::move(reason)});
}

void FakeForest::FailSearch(const std::string& host, std::optional<int> port,
                            const std::string& base, int code) {
  state_->failures.AddSearch(host, port, base, code);
}

void FakeForest::SetSizeLimit(int sizeLimit) { state_->sizeLimit = sizeLimit; }

void FakeForest::FailPagedSearchAfter(int pages, int code) {
  state_->pageFailure = PageFailure{pages, code};
}

void FakeForest::FreezeServer(const std::string& host, int answeredSearches) {
  std::lock_guard lock(state_->mutex);
  state_->frozen[LowerCaseText(host)] = State::Freeze{answeredSearches, 0, 0};
}

void FakeForest::ResetConnections(const std::string& host, int answeredSearches) {
  std::lock_guard lock(state_->mutex);
  state_->resets[LowerCaseText(host)] = State::Reset{answeredSearches, 0, std::nullopt};
}

void FakeForest::ReferSearch(const std::string& host, std::optional<int> port,
                             const std::string& base, const std::string& url) {
  state_->failures.AddSearch(host, port, base, platform::kLdapReferral, {url});
}

void FakeForest::InterruptDuringSearch(const std::string& host, const std::string& base) {
  std::lock_guard lock(state_->mutex);
  state_->interruptingSearch = {LowerCaseText(host), LowerCaseText(base)};
}

int FakeForest::SilentWaits(const std::string& host) const {
  std::lock_guard lock(state_->mutex);
  auto freeze = state_->frozen.find(LowerCaseText(host));
  return freeze == state_->frozen.end() ? 0 : freeze->second.waits;
}

void FakeForest::FailPagedSearchStart() { state_->failPagedStart = true; }

// ---- what was asked -----------------------------------------------------------------------------

const std::vector<ConnectionRecord>& FakeForest::connections() const {
  return state_->connections.records();
}

const ConnectionRecord& FakeForest::connection(platform::LdapHandle handle) const {
  std::optional<std::size_t> index = state_->connections.IndexOf(handle);
  if (!index) throw std::out_of_range("FakeForest::connection: unknown handle");
  return state_->connections.record(*index);
}

const std::vector<SearchRecord>& FakeForest::searches() const { return state_->searches; }

const std::vector<LocatorCall>& FakeForest::locatorCalls() const { return state_->locatorCalls; }

int FakeForest::SearchCount(const std::string& host, std::optional<int> port,
                            const std::string& base) const {
  const FakeConnections& connections = state_->connections;
  int count = 0;
  for (const SearchRecord& search : state_->searches) {
    std::size_t index = *connections.IndexOf(search.handle);
    if (SameText(connections.reachedHost(index), host) &&
        (!port || *port == connections.record(index).port) && SameText(search.request.base, base)) {
      ++count;
    }
  }
  return count;
}

int FakeForest::HandleMisuseCount() const { return state_->connections.MisuseCount(); }

int FakeForest::RoundTrips() const { return state_->roundTrips; }

platform::Services FakeForest::services() { return platform::Services{*this, *this, *this}; }

platform::HostQueries& FakeForest::host() { return *this; }

platform::Services FakeForest::services(platform::CandidatePings pings) {
  {
    std::lock_guard lock(state_->mutex);
    state_->pingsTogether = pings == platform::CandidatePings::kTogether;
  }
  return services();
}

bool FakeForest::pingsCandidatesTogether() const { return state_->pingsTogether; }

void FakeForest::UseIdentity(platform::ExplicitCredentials identity) {
  std::lock_guard lock(state_->mutex);
  state_->identity = std::move(identity);
}

// ---- platform::Directory ------------------------------------------------------------------------

platform::OpenResult FakeForest::Open(const std::optional<std::string>& host, int port, bool ssl) {
  std::lock_guard lock(state_->mutex);
  std::string reached = host ? *host : state_->defaultServer;
  if (std::optional<int> error = state_->failures.OpenFailure(reached)) {
    return platform::OpenResult{{}, *error};
  }
  return platform::OpenResult{state_->connections.Add(host, reached, port, ssl), 0};
}

int FakeForest::SetOption(platform::LdapHandle connection, platform::LdapOption option, int value) {
  std::lock_guard lock(state_->mutex);
  FakeConnections& connections = state_->connections;
  if (int code = connections.CheckUsable(connection); code != 0) return code;
  std::size_t index = *connections.IndexOf(connection);
  connections.record(index).options.push_back(OptionText(option, value));
  return state_->failures.OptionFailure(connections.reachedHost(index), option)
      .value_or(platform::kLdapSuccess);
}

int FakeForest::SimpleBind(platform::LdapHandle connection, const std::optional<std::string>&,
                           const std::optional<std::string>&) {
  std::lock_guard lock(state_->mutex);
  return state_->Bind(connection);
}

int FakeForest::NegotiateBind(platform::LdapHandle connection,
                              const std::optional<platform::ExplicitCredentials>& credentials) {
  std::lock_guard lock(state_->mutex);
  int code = state_->Bind(connection);
  std::optional<std::size_t> index = state_->connections.IndexOf(connection);
  if (index && state_->connections.record(*index).unbindCount == 0) {
    state_->connections.record(*index).credentials = credentials ? credentials : state_->identity;
  }
  return code;
}

platform::SearchResult FakeForest::Search(platform::LdapHandle connection,
                                          const platform::SearchRequest& request) {
  std::lock_guard lock(state_->mutex);
  state_->CountRequest(/*waitsForAnswer=*/true);
  return state_->RecordedSearch(connection, request);
}

int FakeForest::SendSearch(platform::LdapHandle connection,
                           const platform::SearchRequest& request) {
  std::lock_guard lock(state_->mutex);
  state_->CountRequest(/*waitsForAnswer=*/false);
  // The answer is made at once, from the forest as it is when the search goes out.
  std::vector<platform::SearchAnswer>& unanswered = state_->unanswered;
  unanswered.push_back(
      {connection, ++state_->lastSentId, state_->RecordedSearch(connection, request)});
  if (std::optional<std::size_t> index = state_->connections.IndexOf(connection)) {
    ConnectionRecord& record = state_->connections.record(*index);
    const int inFlight = static_cast<int>(
        std::ranges::count_if(unanswered, [connection](const platform::SearchAnswer& answer) {
          return answer.connection == connection;
        }));
    record.mostInFlight = std::max(record.mostInFlight, inFlight);
  }
  return state_->lastSentId;
}

std::vector<platform::SearchAnswer> FakeForest::AwaitAnswers(std::chrono::milliseconds) {
  std::lock_guard lock(state_->mutex);
  state_->tripOpen = false;
  return std::exchange(state_->unanswered, {});
}

std::unique_ptr<platform::PagedSearch> FakeForest::StartPagedSearch(
    platform::LdapHandle connection, const platform::SearchRequest& request, int pageSize) {
  std::lock_guard lock(state_->mutex);
  if (state_->connections.CheckUsable(connection) != 0) return nullptr;
  state_->searches.push_back(SearchRecord{connection, request, true, pageSize});
  if (state_->failPagedStart) return nullptr;
  int granted = pageSize;
  if (state_->maxPageSize > 0 && (granted <= 0 || granted > state_->maxPageSize)) {
    granted = state_->maxPageSize;
  }
  State* state = state_.get();
  return std::make_unique<FakePagedSearch>(
      state->Search(*state->connections.IndexOf(connection), request, /*paged=*/true), granted,
      state->pageFailure,
      [state, connection] { return state->PageRequest(connection); });
}

std::string FakeForest::ErrorText(int code) { return LibldapErrorText(code); }

std::optional<std::string> FakeForest::ServerErrorText(platform::LdapHandle connection) {
  std::lock_guard lock(state_->mutex);
  if (state_->connections.CheckUsable(connection) != 0) return std::nullopt;
  return state_->connections.serverError(*state_->connections.IndexOf(connection));
}

std::optional<std::string> FakeForest::BindFailureReason(platform::LdapHandle connection) {
  std::lock_guard lock(state_->mutex);
  if (state_->connections.CheckUsable(connection) != 0) return std::nullopt;
  const std::size_t index = *state_->connections.IndexOf(connection);
  const ConnectionRecord& record = state_->connections.record(index);
  if (record.bindCount == 0 || record.bound) return std::nullopt;
  const BindFailure* failure =
      state_->failures.BindFailureFor(state_->connections.reachedHost(index), record.port);
  return failure != nullptr ? failure->reason : std::nullopt;
}

void FakeForest::Unbind(platform::LdapHandle connection) {
  std::lock_guard lock(state_->mutex);
  std::optional<std::size_t> index = state_->connections.IndexOf(connection);
  if (!index) return;
  // `bound` stays as it was: the record tells whether a bind succeeded before the unbind.
  ++state_->connections.record(*index).unbindCount;
  std::erase_if(state_->unanswered, [connection](const platform::SearchAnswer& answer) {
    return answer.connection == connection;
  });
}

// ---- platform::Locator --------------------------------------------------------------------------

platform::LocatorAnswer FakeForest::GetDcName(const std::string& computerName,
                                              const std::string& domainName, unsigned flags) {
  std::lock_guard lock(state_->mutex);
  state_->locatorCalls.push_back(LocatorCall{computerName, domainName, flags});
  bool wantGc = (flags & platform::kDsGcServerRequired) != 0;
  auto set =
      state_->locatorAnswers.find({LowerCaseText(computerName), LowerCaseText(domainName), wantGc});
  if (set != state_->locatorAnswers.end()) return set->second;
  std::string joined = state_->join.joinedToDomain ? state_->join.domainName : "";
  std::set<std::string> silent;
  for (const auto& [host, freeze] : state_->frozen) {
    if (freeze.seen >= freeze.answered) silent.insert(host);
  }
  return ComputeDcAnswer(state_->tree, silent, state_->SiteName("").siteName, joined, computerName,
                         domainName, flags);
}

platform::SiteAnswer FakeForest::GetSiteName(const std::string& computerName) {
  std::lock_guard lock(state_->mutex);
  return state_->SiteName(computerName);
}

platform::ForestDomainsAnswer FakeForest::EnumerateForestDomains(const std::string& serverName) {
  std::lock_guard lock(state_->mutex);
  if (state_->forestDomains) return *state_->forestDomains;
  const ServerSetup* server = state_->tree.FindServer(platform::HostOfServerName(serverName));
  const int forest = server != nullptr ? state_->tree.ForestOf(*server) : 0;
  platform::ForestDomainsAnswer answer;
  for (const FakeDomain& domain : state_->tree.domains()) {
    if (domain.forest == forest) answer.dnsNames.push_back(domain.dnsName);
  }
  return answer;
}

// ---- platform::HostQueries ----------------------------------------------------------------------

platform::ComputerNameAnswer FakeForest::GetComputerName() {
  std::lock_guard lock(state_->mutex);
  return state_->computerName;
}
platform::JoinAnswer FakeForest::GetJoinInformation() {
  std::lock_guard lock(state_->mutex);
  return state_->join;
}
platform::LoggedOnUserAnswer FakeForest::GetLoggedOnUser() {
  std::lock_guard lock(state_->mutex);
  return state_->loggedOnUser;
}

}  // namespace nestwalk::fake
