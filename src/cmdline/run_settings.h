// The values a run takes from its command line.
#ifndef NESTWALK_CMDLINE_RUN_SETTINGS_H_
#define NESTWALK_CMDLINE_RUN_SETTINGS_H_

#include <string>

#include "membership/principal_kind.h"

namespace nestwalk {

struct RunSettings {
  bool quiet = false;  // no banner, no report heading; nothing else is silenced
  bool debug = false;  // the diagnostic lines of every phase
  bool resolvePrimaryGroup = true;
  bool tryAll = false;  // the forest-wide mode
  // Opt-in additions; with none of them a run is the classic one, byte for byte.
  bool fast = false;      // pipelined reads: many in flight per connection, DCs bound ahead
  bool path = false;      // after each report line, the shortest chain that leads to the group
  bool token = false;     // after the report, the Kerberos token size estimate
  bool json = false;      // standard output carries one JSON document instead of the report
  bool complete = false;  // also search every domain for domain-local groups holding the account
  // Many accounts in one run: those listed in a file ("-": standard input), those under a DN.
  std::string inputFile;
  std::string underDn;
  bool csv = false;       // one CSV row per account and group
  std::string membersOf;  // -members: the group whose members are listed, domain\name or its DN
  std::string sinceFile;  // -since: an earlier review; only what changed since is written
  PrincipalKind principalKind = PrincipalKind::kUser;
  std::string principalText;  // domain\name as typed; empty: the current user or machine
  std::string initialServer;  // the machine whose locator is asked; empty: this one
  int pingWaitSeconds = 0;    // -pingwait: the locator's wait for a ping; 0: its own
  // Bind as this account (-as domain\name) instead of the caller; its password comes from the
  // first line of `passwordFile` (-passfile), or from the terminal when that is empty.
  std::string bindAs;
  std::string passwordFile;

  bool reviewsAccounts() const { return !inputFile.empty() || !underDn.empty(); }

  friend bool operator==(const RunSettings&, const RunSettings&) = default;
};

}  // namespace nestwalk

#endif  // NESTWALK_CMDLINE_RUN_SETTINGS_H_
