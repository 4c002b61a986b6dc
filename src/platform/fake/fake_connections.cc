#include "platform/fake/fake_connections.h"

#include <algorithm>

namespace nestwalk::fake {

platform::LdapHandle FakeConnections::Add(const std::optional<std::string>& host,
                                          const std::string& reached, int port, bool ssl) {
  ConnectionRecord record;
  record.handle = platform::LdapHandle(records_.size() + 1);
  record.host = host;
  record.port = port;
  record.ssl = ssl;
  records_.push_back(std::move(record));
  reached_.push_back(reached);
  serverErrors_.emplace_back();
  return records_.back().handle;
}

std::optional<std::size_t> FakeConnections::IndexOf(platform::LdapHandle handle) const {
  if (!handle.valid() || handle.id() > records_.size()) return std::nullopt;
  return static_cast<std::size_t>(handle.id() - 1);
}

int FakeConnections::CheckUsable(platform::LdapHandle handle) {
  std::optional<std::size_t> index = IndexOf(handle);
  if (!index) return kBadParameter;
  ConnectionRecord& record = records_[*index];
  if (record.unbindCount > 0) {
    ++record.useAfterUnbind;
    return kBadParameter;
  }
  return platform::kLdapSuccess;
}

int FakeConnections::MisuseCount() const {
  int count = 0;
  for (const ConnectionRecord& record : records_) {
    count += record.useAfterUnbind + std::max(0, record.unbindCount - 1);
  }
  return count;
}

}  // namespace nestwalk::fake
