#include "platform/fake/fake_failures.h"

#include <utility>

#include "platform/fake/fake_tree.h"
#include "text/case_folding.h"

namespace nestwalk::fake {

namespace {

bool PortMatches(const std::optional<int>& wanted, int port) { return !wanted || *wanted == port; }

}  // namespace

void FakeFailures::AddOpen(const std::string& host, int error) {
  open_.try_emplace(LowerCaseText(host), error);
}

void FakeFailures::AddOption(const std::string& host, platform::LdapOption option, int code) {
  options_.push_back({host, option, code});
}

void FakeFailures::AddBind(BindFailure failure) { binds_.push_back(std::move(failure)); }

void FakeFailures::AddSearch(const std::string& host, std::optional<int> port,
                             const std::string& base, int code,
                             std::vector<std::string> referrals) {
  searches_.push_back({host, port, base, code, std::move(referrals)});
}

std::optional<int> FakeFailures::OpenFailure(const std::string& host) const {
  auto found = open_.find(LowerCaseText(host));
  if (found == open_.end()) return std::nullopt;
  return found->second;
}

std::optional<int> FakeFailures::OptionFailure(const std::string& host,
                                               platform::LdapOption option) const {
  for (const OptionCase& failure : options_) {
    if (failure.option == option && SameText(failure.host, host)) return failure.code;
  }
  return std::nullopt;
}

const BindFailure* FakeFailures::BindFailureFor(const std::string& host, int port) const {
  for (const BindFailure& failure : binds_) {
    if (SameText(failure.host, host) && PortMatches(failure.port, port)) return &failure;
  }
  return nullptr;
}

std::optional<platform::SearchResult> FakeFailures::SearchFailure(const std::string& host,
                                                                  int port,
                                                                  const std::string& base) const {
  for (const SearchCase& failure : searches_) {
    if (SameText(failure.host, host) && PortMatches(failure.port, port) &&
        SameText(failure.base, base)) {
      return platform::SearchResult{failure.code, {}, failure.referrals};
    }
  }
  return std::nullopt;
}

}  // namespace nestwalk::fake
