// The values a run takes from its command line.
#ifndef NESTWALK_CMDLINE_RUN_SETTINGS_H_
#define NESTWALK_CMDLINE_RUN_SETTINGS_H_

#include <string>

namespace nestwalk {

enum class PrincipalKind { kUser, kComputer, kGroup };

struct RunSettings {
  bool quiet = false;
  bool debug = false;
  bool resolvePrimaryGroup = true;
  bool tryAll = false;
  PrincipalKind principalKind = PrincipalKind::kUser;
  std::string principalText;
  std::string initialServer;

  friend bool operator==(const RunSettings&, const RunSettings&) = default;
};

}  // namespace nestwalk

#endif  // NESTWALK_CMDLINE_RUN_SETTINGS_H_
