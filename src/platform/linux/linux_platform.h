// The real platform: OpenLDAP's libldap with Cyrus SASL GSSAPI, DNS SRV records through
// libresolv, and MIT Kerberos for the caller's identity.
#ifndef NESTWALK_PLATFORM_LINUX_LINUX_PLATFORM_H_
#define NESTWALK_PLATFORM_LINUX_LINUX_PLATFORM_H_

#include <memory>

#include "platform/services.h"

namespace nestwalk::platform {

class LinuxPlatform {
 public:
  LinuxPlatform();
  ~LinuxPlatform();
  LinuxPlatform(const LinuxPlatform&) = delete;
  LinuxPlatform& operator=(const LinuxPlatform&) = delete;

  // Valid as long as this object lives.
  Services services();

 private:
  struct Parts;
  std::unique_ptr<Parts> parts_;
};

}  // namespace nestwalk::platform

#endif  // NESTWALK_PLATFORM_LINUX_LINUX_PLATFORM_H_
