#include "platform/linux/linux_platform.h"

#include "platform/linux/linux_directory.h"
#include "platform/linux/linux_host_queries.h"
#include "platform/linux/linux_locator.h"

namespace nestwalk::platform {

// Members are built in this order and destroyed in reverse: the locator uses the directory.
struct LinuxPlatform::Parts {
  LinuxDirectory directory;
  LinuxLocator locator{directory};
  LinuxHostQueries host;
};

LinuxPlatform::LinuxPlatform() : parts_(std::make_unique<Parts>()) {}

LinuxPlatform::~LinuxPlatform() = default;

Services LinuxPlatform::services() {
  return Services{parts_->directory, parts_->locator, parts_->host};
}

}  // namespace nestwalk::platform
