// The open connections of one directory implementation, by the ids that the seam's handles
// carry, whatever the library's own connection type.
#ifndef NESTWALK_PLATFORM_HANDLE_TABLE_H_
#define NESTWALK_PLATFORM_HANDLE_TABLE_H_

#include <cstdint>
#include <map>
#include <mutex>
#include <utility>

#include "platform/directory.h"

namespace nestwalk::platform {

// `Owner` is a unique_ptr whose deleter closes the connection. Safe to use from several threads
// at once: a connection may be opened or closed on one thread while another looks up a
// different one. Using one connection from two threads at once is still the caller's to avoid.
template <typename Owner>
class HandleTable {
 public:
  using Raw = typename Owner::pointer;

  // Takes ownership of `connection` and returns its new handle; ids are never reused, so a
  // stale handle can never reach a later connection.
  LdapHandle Add(Owner connection) {
    const std::lock_guard lock(mutex_);
    LdapHandle handle(++lastId_);
    connections_.emplace(handle.id(), std::move(connection));
    return handle;
  }
  // The connection, still owned by the table; nullptr for an unknown or closed handle.
  Raw Find(LdapHandle handle) const {
    const std::lock_guard lock(mutex_);
    auto found = connections_.find(handle.id());
    return found == connections_.end() ? nullptr : found->second.get();
  }
  // Closes and forgets the connection; an unknown handle is ignored.
  void Close(LdapHandle handle) {
    // Closed once the lock is released: closing may wait on the network, and lookups of other
    // connections need not wait for it.
    Owner closing;
    const std::lock_guard lock(mutex_);
    if (auto node = connections_.extract(handle.id())) closing = std::move(node.mapped());
  }

 private:
  mutable std::mutex mutex_;
  std::map<std::uint64_t, Owner> connections_;
  std::uint64_t lastId_ = 0;
};

}  // namespace nestwalk::platform

#endif  // NESTWALK_PLATFORM_HANDLE_TABLE_H_
