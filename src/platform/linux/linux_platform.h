// The real platform: OpenLDAP's libldap with Cyrus SASL GSSAPI, DNS SRV records through
// libresolv, and MIT Kerberos for the caller's identity.
#ifndef NESTWALK_PLATFORM_LINUX_LINUX_PLATFORM_H_
#define NESTWALK_PLATFORM_LINUX_LINUX_PLATFORM_H_

#include <memory>

#include "platform/platform.h"

namespace nestwalk::platform {

class LinuxPlatform : public Platform {
 public:
  // Unsets an empty KRB5CCNAME first (see ForgetEmptyCacheName): make it before other threads.
  LinuxPlatform();
  ~LinuxPlatform() override;
  LinuxPlatform(const LinuxPlatform&) = delete;
  LinuxPlatform& operator=(const LinuxPlatform&) = delete;

  HostQueries& host() override;
  RunControl& control() override;
  // Each kind of locator is made the first time it is asked for.
  Services services(CandidatePings pings) override;
  void SetPingWait(std::chrono::milliseconds wait) override;
  // A ticket for `identity` is got with its password for each bind, held in memory only.
  void UseIdentity(ExplicitCredentials identity) override;

 private:
  struct Parts;
  std::unique_ptr<Parts> parts_;
};

}  // namespace nestwalk::platform

#endif  // NESTWALK_PLATFORM_LINUX_LINUX_PLATFORM_H_
