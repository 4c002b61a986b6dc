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

void BackgroundBinds::Start(const std::string& dnsName) {
  if (started_.contains(dnsName)) return;
  started_[dnsName].bind = std::make_unique<WorkAhead<BoundDomainController>>(
      like_,
      [this, dnsName](Console& console) {
        return LocateAndBindDomainController(console, threadServices_, initialServer_, dnsName);
      },
      [this](BoundDomainController& unused) {
        if (unused.connection.valid()) runServices_.directory.Unbind(unused.connection);
      });
}

std::vector<std::pair<std::string, BoundDomainController>> BackgroundBinds::Finished() {
  std::vector<std::pair<std::string, BoundDomainController>> finished;
  for (auto& [dnsName, started] : started_) {
    if (started.reported) continue;
    if (const BoundDomainController* result = started.bind->Peek()) {
      started.reported = true;
      finished.emplace_back(dnsName, *result);
    }
  }
  return finished;
}

BoundDomainController BackgroundBinds::Bind(Console& console, const std::string& dnsName) {
  auto found = started_.find(dnsName);
  if (found == started_.end() || found->second.bind->taken()) return inline_.Bind(console, dnsName);
  WorkAhead<BoundDomainController>& bind = *found->second.bind;
  // The waiting caller's work may take the result in the meantime, hence the check first.
  while (bind.Peek() == nullptr) {
    whileWaiting_();
    bind.WaitFor(kBindPoll);
  }
  return bind.Take(console);
}

}  // namespace nestwalk
