// Runs of the built nestwalk whose domain controller is reached through the relay of
// bench/latency, which can play a server that misbehaves (see bench/latency_relay.cc): the DC's
// name leads to a loopback address of the relay's own, the relay passes LDAP (389) and the
// global catalog (3268) on to the DC, and Kerberos still asks the DC's own KDC.
#ifndef NESTWALK_TESTS_E2E_SUPPORT_RELAYED_RUN_H_
#define NESTWALK_TESTS_E2E_SUPPORT_RELAYED_RUN_H_

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "support/command_runner.h"
#include "support/e2e_environment.h"

namespace nestwalk::e2e {

// One misbehaviour of the relay, as its --KIND=COUNT@LISTEN option names it.
struct RelayFault {
  std::string kind;  // freeze, truncate, trickle or reset
  int count = 0;     // the chunk of a connection it strikes at
  int port = 0;      // 389 or 3268: the connections it watches
};

struct RelayedRun {
  CommandResult run;     // timedOut: killed at the limit (the relay ends then too)
  std::string relayLog;  // what the relay wrote: a line when its fault struck
};

// Runs nestwalk with `args`, and `input` on standard input, through a relay listening on
// `relayAddress` (a loopback address no other run uses: runs at different addresses may go at
// once), which misbehaves as `fault` says (nullopt: a faithful relay). Each run has a copy of
// the caller's ticket cache of its own, so that runs at once do not write to one file.
RelayedRun RunThroughRelay(const E2eEnvironment& env, const std::string& relayAddress,
                           const std::optional<RelayFault>& fault,
                           const std::vector<std::string>& args, const std::string& input,
                           std::chrono::seconds limit);

}  // namespace nestwalk::e2e

#endif  // NESTWALK_TESTS_E2E_SUPPORT_RELAYED_RUN_H_
