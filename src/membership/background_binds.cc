#include "membership/background_binds.h"

#include <chrono>

namespace nestwalk {

namespace {

// Between checks of a bind under way, after the waiting caller's own work.
constexpr std::chrono::milliseconds kBindPoll(2);

}  // namespace

BackgroundBinds::BackgroundBinds(const Console& like, platform::Services& runServices,
                                 platform::Directory& threadDirectory, std::string initialServer,
                                 std::function<void()> whileWaiting)
    : like_(like),
      runServices_(runServices),
      threadServices_{threadDirectory, runServices.locator, runServices.host},
      initialServer_(initialServer),
      whileWaiting_(std::move(whileWaiting)),
      inline_(runServices, std::move(initialServer)) {}

BackgroundBinds::~BackgroundBinds() {
  for (auto& [dnsName, started] : started_) {
    if (started.taken) continue;
    if (!started.result) started.result = started.bound.get();
    if (started.result->connection.valid()) runServices_.directory.Unbind(started.result->connection);
  }
}

void BackgroundBinds::Start(const std::string& dnsName) {
  if (started_.contains(dnsName)) return;
  Started& started = started_[dnsName];
  started.lines = std::make_unique<DeferredConsole>(like_);
  started.bound = std::async(std::launch::async, [this, &console = started.lines->console(),
                                                  dnsName] {
    return LocateAndBindDomainController(console, threadServices_, initialServer_, dnsName);
  });
}

const BoundDomainController* BackgroundBinds::ResultOf(Started& started) {
  if (!started.result &&
      started.bound.wait_for(std::chrono::seconds(0)) == std::future_status::ready) {
    started.result = started.bound.get();
  }
  return started.result ? &*started.result : nullptr;
}

std::vector<std::pair<std::string, BoundDomainController>> BackgroundBinds::Finished() {
  std::vector<std::pair<std::string, BoundDomainController>> finished;
  for (auto& [dnsName, started] : started_) {
    if (started.reported) continue;
    if (const BoundDomainController* result = ResultOf(started)) {
      started.reported = true;
      finished.emplace_back(dnsName, *result);
    }
  }
  return finished;
}

BoundDomainController BackgroundBinds::Bind(Console& console, const std::string& dnsName) {
  auto found = started_.find(dnsName);
  if (found == started_.end() || found->second.taken) return inline_.Bind(console, dnsName);
  Started& started = found->second;
  while (ResultOf(started) == nullptr) {
    whileWaiting_();
    // The waiting caller's work may have taken the result already.
    if (!started.result) started.bound.wait_for(kBindPoll);
  }
  started.taken = true;
  started.lines->ReplayInto(console);
  return *started.result;
}

}  // namespace nestwalk
