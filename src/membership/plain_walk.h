// The walk that reads one group at a time, each read and bind made where the walk reaches it.
#ifndef NESTWALK_MEMBERSHIP_PLAIN_WALK_H_
#define NESTWALK_MEMBERSHIP_PLAIN_WALK_H_

#include <string>

#include "membership/walk_strategy.h"

namespace nestwalk {

class PlainWalk : public WalkStrategy {
 public:
  // `services` must outlive this; `initialServer` is the machine whose locator is asked (empty:
  // this one).
  PlainWalk(platform::Services services, std::string initialServer);

  platform::Services& services() override { return services_; }
  void ForeseeSearch(platform::LdapHandle, const platform::SearchRequest&) override {}
  void ForeseeGlobalCatalogPort(Console&, const std::string&) override {}
  platform::LdapHandle BindGlobalCatalogPort(Console& console, const std::string& host) override;
  BoundDomainController BindDomainController(Console& console, const std::string& dnsName) override;
  void ForeseeDirectReads(platform::LdapHandle, platform::LdapHandle, const std::string&) override {
  }
  void ForeseeGroup(const std::string&) override {}
  // One piece after another, each taken in at once.
  void RunEach(Console& console, std::size_t count, const Piece& piece,
               const std::function<void(std::size_t index)>& takeIn) override;
  void WriteSummary(Console&) const override {}

 private:
  platform::Services services_;
  std::string initialServer_;
};

}  // namespace nestwalk

#endif  // NESTWALK_MEMBERSHIP_PLAIN_WALK_H_
