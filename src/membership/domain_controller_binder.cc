#include "membership/domain_controller_binder.h"

#include <utility>

namespace nestwalk {

InlineDomainControllerBinder::InlineDomainControllerBinder(platform::Services& services,
                                                           std::string initialServer)
    : services_(services), initialServer_(std::move(initialServer)) {}

BoundDomainController InlineDomainControllerBinder::Bind(Console& console,
                                                         const std::string& dnsName) {
  return LocateAndBindDomainController(console, services_, initialServer_, dnsName);
}

}  // namespace nestwalk
