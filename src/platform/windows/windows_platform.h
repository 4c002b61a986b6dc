// The Windows platform: wldap32, the system's DC locator and workstation service.
#ifndef NESTWALK_PLATFORM_WINDOWS_WINDOWS_PLATFORM_H_
#define NESTWALK_PLATFORM_WINDOWS_WINDOWS_PLATFORM_H_

#include <memory>

#include "platform/platform.h"

namespace nestwalk::platform {

class WindowsPlatform : public Platform {
 public:
  WindowsPlatform();
  ~WindowsPlatform() override;
  WindowsPlatform(const WindowsPlatform&) = delete;
  WindowsPlatform& operator=(const WindowsPlatform&) = delete;

  HostQueries& host() override;
  RunControl& control() override;
  // The same services whatever `pings`: the system's locator tries candidates its own way.
  Services services(CandidatePings pings) override;
  // The identity record of each negotiate bind then carries `identity`.
  void UseIdentity(ExplicitCredentials identity) override;

 private:
  struct Parts;
  std::unique_ptr<Parts> parts_;
};

}  // namespace nestwalk::platform

#endif  // NESTWALK_PLATFORM_WINDOWS_WINDOWS_PLATFORM_H_
