#include "driver/read_needs.h"

namespace nestwalk {

ReadNeeds ReadNeedsOf(const RunSettings& settings) {
  return ReadNeeds{
      .primaryGroup = settings.resolvePrimaryGroup,
      .account = {.objectSid = settings.json, .sIDHistory = settings.token || settings.json},
      .groupSids = settings.json,
      .domainLocalGroups = settings.complete,
  };
}

}  // namespace nestwalk
