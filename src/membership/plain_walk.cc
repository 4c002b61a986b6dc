#include "membership/plain_walk.h"

#include <utility>

#include "ldap/open_ldap.h"

namespace nestwalk {

PlainWalk::PlainWalk(platform::Services services, std::string initialServer)
    : services_(services), initialServer_(std::move(initialServer)) {}

platform::LdapHandle PlainWalk::BindGlobalCatalogPort(Console& console, const std::string& host) {
  return OpenGlobalCatalogPort(console, services_.directory, host);
}

BoundDomainController PlainWalk::BindDomainController(Console& console,
                                                      const std::string& dnsName) {
  return LocateAndBindDomainController(console, services_, initialServer_, dnsName);
}

void PlainWalk::RunEach(Console& console, std::size_t count, const Piece& piece,
                        const std::function<void(std::size_t index)>& takeIn) {
  for (std::size_t index = 0; index < count; ++index) {
    piece(index, console, services_);
    takeIn(index);
  }
}

}  // namespace nestwalk
