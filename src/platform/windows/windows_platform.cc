#include "platform/windows/windows_platform.h"

#include <utility>

#include "platform/identity_directory.h"
#include "platform/windows/windows_directory.h"
#include "platform/windows/windows_host_queries.h"
#include "platform/windows/windows_locator.h"
#include "platform/windows/windows_run_control.h"

namespace nestwalk::platform {

struct WindowsPlatform::Parts {
  WindowsDirectory library;
  IdentityDirectory directory{library};  // every bind goes through it, for -as
  WindowsHostQueries host;
  WindowsRunControl control;
  WindowsLocator locator{directory};
};

WindowsPlatform::WindowsPlatform() : parts_(std::make_unique<Parts>()) {}

WindowsPlatform::~WindowsPlatform() = default;

HostQueries& WindowsPlatform::host() { return parts_->host; }

RunControl& WindowsPlatform::control() { return parts_->control; }

void WindowsPlatform::UseIdentity(ExplicitCredentials identity) {
  parts_->directory.Use(std::move(identity));
}

Services WindowsPlatform::services(CandidatePings /*pings*/) {
  return Services{parts_->directory, parts_->locator, parts_->host};
}

}  // namespace nestwalk::platform
