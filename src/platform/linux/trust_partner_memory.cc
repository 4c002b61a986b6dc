#include "platform/linux/trust_partner_memory.h"

#include <utility>

#include "text/case_folding.h"

namespace nestwalk::platform {

TrustPartnerMemory::TrustPartnerMemory(TrustPartnerLookup lookup) : lookup_(std::move(lookup)) {}

std::vector<std::string> TrustPartnerMemory::PartnersOf(const std::string& dcHost,
                                                        const std::string& flatName) {
  std::promise<std::vector<std::string>> learning;
  std::shared_future<std::vector<std::string>> partners;
  bool first = false;
  {
    const std::lock_guard lock(mutex_);
    auto [known, added] = learnt_.try_emplace(LowerCaseText(flatName));
    if (added) known->second = learning.get_future().share();
    partners = known->second;
    first = added;
  }
  // The lookup runs unlocked, so other names are not held up by it.
  if (first) learning.set_value(lookup_(dcHost, flatName));
  return partners.get();
}

}  // namespace nestwalk::platform
