#include "platform/linux/linux_platform.h"

#include <optional>
#include <utility>

#include "platform/identity_directory.h"
#include "platform/linux/kerberos.h"
#include "platform/linux/linux_directory.h"
#include "platform/linux/linux_host_queries.h"
#include "platform/linux/linux_locator.h"
#include "platform/linux/linux_run_control.h"

namespace nestwalk::platform {

// Members are built in this order and destroyed in reverse: the locators use the directory.
struct LinuxPlatform::Parts {
  LinuxDirectory library;
  IdentityDirectory directory{library};  // every bind goes through it, for -as
  LinuxHostQueries host;
  LinuxRunControl control;
  std::optional<LinuxLocator> oneAfterAnother;
  std::optional<LinuxLocator> together;
  std::chrono::milliseconds pingWait = kPingTimeout;
};

// The environment is settled before any part exists: their threads and libraries read it.
LinuxPlatform::LinuxPlatform() {
  ForgetEmptyCacheName();
  parts_ = std::make_unique<Parts>();
}

LinuxPlatform::~LinuxPlatform() = default;

HostQueries& LinuxPlatform::host() { return parts_->host; }

RunControl& LinuxPlatform::control() { return parts_->control; }

void LinuxPlatform::UseIdentity(ExplicitCredentials identity) {
  parts_->directory.Use(std::move(identity));
}

Services LinuxPlatform::services(CandidatePings pings) {
  std::optional<LinuxLocator>& locator =
      pings == CandidatePings::kTogether ? parts_->together : parts_->oneAfterAnother;
  if (!locator) locator.emplace(parts_->directory, pings, parts_->pingWait);
  return Services{parts_->directory, *locator, parts_->host};
}

void LinuxPlatform::SetPingWait(std::chrono::milliseconds wait) {
  parts_->pingWait = wait;
  parts_->host.SetPingWait(wait);
}

}  // namespace nestwalk::platform
