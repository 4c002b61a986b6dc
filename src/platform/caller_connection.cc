#include "platform/caller_connection.h"

namespace nestwalk::platform {

namespace {

constexpr int kLdapPort = 389;

}  // namespace

CallerConnection::CallerConnection(Directory& directory, const std::string& host)
    : directory_(directory) {
  OpenResult opened = directory.Open(host, kLdapPort, false);
  if (!opened.handle.valid()) {
    status_ = opened.error != 0 ? opened.error : kLdapServerDown;
    return;
  }
  handle_ = opened.handle;
  status_ = directory.SetOption(handle_, LdapOption::kProtocolVersion, 3);
  if (status_ == 0) status_ = directory.SetOption(handle_, LdapOption::kReferrals, 0);
  if (status_ == 0) status_ = directory.NegotiateBind(handle_, std::nullopt);
}

CallerConnection::~CallerConnection() {
  if (handle_.valid()) directory_.Unbind(handle_);
}

std::optional<std::string> CallerConnection::RootDseValue(const std::string& attribute, int& code) {
  SearchRequest rootDse;
  rootDse.scope = SearchScope::kBase;
  rootDse.filter = "(objectClass=*)";
  rootDse.attributes = {attribute};
  SearchResult root = directory_.Search(handle_, rootDse);
  code = root.code;
  if (root.code != 0 || root.entries.empty()) return std::nullopt;
  std::optional<std::string> value = root.entries.front().First(attribute);
  if (!value || value->empty()) return std::nullopt;
  return value;
}

}  // namespace nestwalk::platform
