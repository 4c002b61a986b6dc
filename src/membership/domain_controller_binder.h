// How the nested expansion gets a DC of a further domain: bound where the walk asks for it, or
// taken from a bind that was started ahead.
#ifndef NESTWALK_MEMBERSHIP_DOMAIN_CONTROLLER_BINDER_H_
#define NESTWALK_MEMBERSHIP_DOMAIN_CONTROLLER_BINDER_H_

#include <string>

#include "membership/domain_controller_binding.h"
#include "platform/console.h"
#include "platform/services.h"

namespace nestwalk {

class DomainControllerBinder {
 public:
  virtual ~DomainControllerBinder() = default;
  // A located and bound DC of the domain `dnsName`, as LocateAndBindDomainController gives it,
  // its lines written to `console` as if it were bound during this call. The caller owns a
  // valid returned connection.
  virtual BoundDomainController Bind(Console& console, const std::string& dnsName) = 0;
};

// Binds during the call, on the caller's thread.
class InlineDomainControllerBinder : public DomainControllerBinder {
 public:
  // `services` must outlive the binder; `initialServer` is the machine whose locator is asked
  // (empty: this one).
  InlineDomainControllerBinder(platform::Services& services, std::string initialServer);

  BoundDomainController Bind(Console& console, const std::string& dnsName) override;

 private:
  platform::Services& services_;
  std::string initialServer_;
};

}  // namespace nestwalk

#endif  // NESTWALK_MEMBERSHIP_DOMAIN_CONTROLLER_BINDER_H_
