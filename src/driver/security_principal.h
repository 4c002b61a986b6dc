// Which account the run is about: from the command line, or the current user or machine.
#ifndef NESTWALK_DRIVER_SECURITY_PRINCIPAL_H_
#define NESTWALK_DRIVER_SECURITY_PRINCIPAL_H_

#include <optional>
#include <string>
#include <variant>

#include "cmdline/run_settings.h"
#include "platform/console.h"
#include "platform/host_queries.h"

namespace nestwalk {

struct SecurityPrincipal {
  PrincipalKind kind = PrincipalKind::kUser;
  std::string domain;         // flat domain name
  std::string samName;        // a computer's ends in "$"
  std::string qualifiedName;  // what the principal line shows

  friend bool operator==(const SecurityPrincipal&, const SecurityPrincipal&) = default;
};

// The run's status when the principal cannot be determined; the messages are already written.
struct PrincipalFailure {
  int status = -1;
};

// The account `text` names as "domain\SAMName", of `kind` (a computer's name gets its "$");
// nullopt when the text holds no backslash.
std::optional<SecurityPrincipal> NamedPrincipal(PrincipalKind kind, const std::string& text);

// "Security Principal: [USER] CORP\\alice\n": the kind's tag and the name as given.
std::string PrincipalLine(const SecurityPrincipal& principal);

// Builds the principal and writes the principal line, or writes why not and gives the status
// the run must end with.
std::variant<SecurityPrincipal, PrincipalFailure> ResolvePrincipal(Console& console,
                                                                   platform::HostQueries& host,
                                                                   const RunSettings& settings);

}  // namespace nestwalk

#endif  // NESTWALK_DRIVER_SECURITY_PRINCIPAL_H_
