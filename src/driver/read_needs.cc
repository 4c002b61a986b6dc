#include "driver/read_needs.h"

namespace nestwalk {

ReadNeeds ReadNeedsOf(const RunSettings& settings) {
  // -complete names the account and its groups in trusting forests by their SIDs.
  const bool sids = settings.json || settings.complete;
  return ReadNeeds{
      .primaryGroup = settings.resolvePrimaryGroup,
      .account = {.objectSid = sids, .sIDHistory = settings.token || sids},
      .groupSids = sids,
      .domainLocalGroups = settings.complete,
  };
}

}  // namespace nestwalk
