// Trust partners learnt once per flat name and kept, for a locator that is asked from several
// threads at once.
#ifndef NESTWALK_PLATFORM_LINUX_TRUST_PARTNER_MEMORY_H_
#define NESTWALK_PLATFORM_LINUX_TRUST_PARTNER_MEMORY_H_

#include <future>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/linux/dc_discovery.h"

namespace nestwalk::platform {

class TrustPartnerMemory {
 public:
  explicit TrustPartnerMemory(TrustPartnerLookup lookup);

  // What `lookup` gave for `flatName` (ASCII case ignored) the first time it was asked, then of
  // `dcHost`; an empty answer is kept as well, so each name costs one lookup. Calls may come
  // from several threads at once: lookups of different names run side by side, and a call for
  // a name whose lookup is under way waits for that one.
  std::vector<std::string> PartnersOf(const std::string& dcHost, const std::string& flatName);

 private:
  const TrustPartnerLookup lookup_;
  std::mutex mutex_;  // guards learnt_
  std::map<std::string, std::shared_future<std::vector<std::string>>> learnt_;
};

}  // namespace nestwalk::platform

#endif  // NESTWALK_PLATFORM_LINUX_TRUST_PARTNER_MEMORY_H_
