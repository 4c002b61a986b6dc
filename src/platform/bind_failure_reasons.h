// The last bind failure reason of each connection, kept by a directory implementation for its
// BindFailureReason.
#ifndef NESTWALK_PLATFORM_BIND_FAILURE_REASONS_H_
#define NESTWALK_PLATFORM_BIND_FAILURE_REASONS_H_

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <utility>

#include "platform/directory.h"

namespace nestwalk::platform {

// Safe to use from several threads at once: binds of different connections run side by side.
class BindFailureReasons {
 public:
  // Keeps `reason` for `connection`; an empty one forgets what was kept.
  void Keep(LdapHandle connection, std::string reason) {
    const std::lock_guard lock(mutex_);
    if (reason.empty()) {
      reasons_.erase(connection.id());
    } else {
      reasons_[connection.id()] = std::move(reason);
    }
  }
  // nullopt when nothing is kept for `connection`.
  std::optional<std::string> Of(LdapHandle connection) const {
    const std::lock_guard lock(mutex_);
    auto found = reasons_.find(connection.id());
    if (found == reasons_.end()) return std::nullopt;
    return found->second;
  }

 private:
  mutable std::mutex mutex_;
  std::map<std::uint64_t, std::string> reasons_;
};

}  // namespace nestwalk::platform

#endif  // NESTWALK_PLATFORM_BIND_FAILURE_REASONS_H_
