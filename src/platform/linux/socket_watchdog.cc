#include "platform/linux/socket_watchdog.h"

#include <fcntl.h>
#include <sys/socket.h>

#include <utility>

namespace nestwalk::platform {

SocketWatchdog::Watch::~Watch() { Release(); }

SocketWatchdog::Watch::Watch(Watch&& other) noexcept
    : owner_(std::exchange(other.owner_, nullptr)), id_(std::exchange(other.id_, 0)) {}

SocketWatchdog::Watch& SocketWatchdog::Watch::operator=(Watch&& other) noexcept {
  if (this != &other) {
    Release();
    owner_ = std::exchange(other.owner_, nullptr);
    id_ = std::exchange(other.id_, 0);
  }
  return *this;
}

bool SocketWatchdog::Watch::Cut() const { return owner_ != nullptr && owner_->WasCut(id_); }

void SocketWatchdog::Watch::Release() {
  if (owner_ != nullptr) owner_->Forget(id_);
  owner_ = nullptr;
}

SocketWatchdog::SocketWatchdog() : thread_([this](std::stop_token stop) { Run(stop); }) {}

SocketWatchdog::Watch SocketWatchdog::Arm(int fd, Clock::time_point deadline) {
  SocketFd duplicate(fcntl(fd, F_DUPFD_CLOEXEC, 0));
  if (!duplicate.valid()) return Watch();
  const std::lock_guard lock(mutex_);
  const std::uint64_t id = ++lastId_;
  deadlines_.emplace(id, Deadline{std::move(duplicate), deadline});
  // Most calls end long before their deadline: the thread is woken only when it would sleep
  // past this one.
  if (deadline < wakeAt_) {
    earlier_ = true;
    changed_.notify_one();
  }
  return Watch(*this, id);
}

bool SocketWatchdog::WasCut(std::uint64_t id) {
  const std::lock_guard lock(mutex_);
  auto found = deadlines_.find(id);
  return found != deadlines_.end() && found->second.cut;
}

void SocketWatchdog::Forget(std::uint64_t id) {
  SocketFd closing;  // closed once the lock is released
  const std::lock_guard lock(mutex_);
  if (auto node = deadlines_.extract(id)) closing = std::move(node.mapped().socket);
}

void SocketWatchdog::Run(std::stop_token stop) {
  std::unique_lock lock(mutex_);
  while (!stop.stop_requested()) {
    const Clock::time_point now = Clock::now();
    Clock::time_point next = Clock::time_point::max();
    for (auto& [id, deadline] : deadlines_) {
      if (deadline.cut) continue;
      if (deadline.when <= now) {
        shutdown(deadline.socket.get(), SHUT_RDWR);
        deadline.cut = true;
      } else if (deadline.when < next) {
        next = deadline.when;
      }
    }
    wakeAt_ = next;
    earlier_ = false;
    const auto earlier = [this] { return earlier_; };
    if (next == Clock::time_point::max()) {
      changed_.wait(lock, stop, earlier);
    } else {
      changed_.wait_until(lock, stop, next, earlier);
    }
  }
}

}  // namespace nestwalk::platform
