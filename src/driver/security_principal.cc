#include "driver/security_principal.h"

#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace nestwalk {

namespace {

// Writes why the principal cannot be determined, then the platform's advice when it has any.
PrincipalFailure Failure(Console& console, std::string_view message, int status,
                         const std::string& hint) {
  console.Err(message);
  if (!hint.empty()) console.Err("   " + hint + "\n");
  return PrincipalFailure{status};
}

// A host query that answered with a non-zero status; the run ends with that status.
template <typename Answer>
PrincipalFailure QueryFailure(Console& console, std::string_view query, const Answer& answer) {
  std::string message("Error: ");
  message.append(query).append(" failed - ").append(std::to_string(answer.status)).append("\n");
  return Failure(console, message, answer.status, answer.hint);
}

// An account the host reported, shown as domain\name.
SecurityPrincipal HostAccount(PrincipalKind kind, std::string domain, std::string samName) {
  std::string qualifiedName = domain + "\\" + samName;
  return SecurityPrincipal{kind, std::move(domain), std::move(samName), std::move(qualifiedName)};
}

std::variant<SecurityPrincipal, PrincipalFailure> CurrentMachine(Console& console,
                                                                 platform::HostQueries& host) {
  console.DebugErr("Determining current machine...\n");
  platform::ComputerNameAnswer computer = host.GetComputerName();
  if (computer.status != 0) return QueryFailure(console, "NetWkStaGetInfo", computer);
  platform::JoinAnswer join = host.GetJoinInformation();
  if (join.status != 0) return QueryFailure(console, "NetGetJoinInformation", join);
  if (!join.joinedToDomain) {
    return Failure(console, "Error: Machine does not appear to be part of a domain.\n", -1,
                   join.hint);
  }
  SecurityPrincipal principal =
      HostAccount(PrincipalKind::kComputer, join.domainName, computer.computerName + "$");
  console.DebugErr("Computer: " + principal.qualifiedName + "\n");
  return principal;
}

std::variant<SecurityPrincipal, PrincipalFailure> CurrentUser(Console& console,
                                                              platform::HostQueries& host) {
  console.DebugErr("Determining current user...\n");
  platform::LoggedOnUserAnswer user = host.GetLoggedOnUser();
  if (user.status != 0) return QueryFailure(console, "NetWkStaUserGetInfo", user);
  // Always a user: a group comes with a name, since the driver rejects -group without one.
  SecurityPrincipal principal = HostAccount(PrincipalKind::kUser, user.logonDomain, user.userName);
  console.DebugErr("UserID: " + principal.qualifiedName + "\n");
  return principal;
}

std::variant<SecurityPrincipal, PrincipalFailure> NamedAccount(Console& console,
                                                               const RunSettings& settings) {
  std::optional<SecurityPrincipal> principal =
      NamedPrincipal(settings.principalKind, settings.principalText);
  if (!principal) {
    console.Err(
        "Must specify Domain in userid/computer/group parameter\n"
        "   Format: flatdomain\\SAMName\n \n");
    console.Err("Program Terminated\n\n");
    return PrincipalFailure{-1};
  }
  console.DebugErr("Old style UserID\n");
  return *principal;
}

}  // namespace

std::optional<SecurityPrincipal> NamedPrincipal(PrincipalKind kind, const std::string& text) {
  const std::size_t backslash = text.find('\\');
  if (backslash == std::string::npos) return std::nullopt;
  SecurityPrincipal principal;
  principal.kind = kind;
  principal.domain = text.substr(0, backslash);
  principal.samName = text.substr(backslash + 1);
  // Computer accounts end in "$"; a name that has one anywhere is taken as complete.
  if (kind == PrincipalKind::kComputer && principal.samName.find('$') == std::string::npos) {
    principal.samName += "$";
  }
  principal.qualifiedName = text;
  return principal;
}

std::string PrincipalLine(const SecurityPrincipal& principal) {
  std::string line("Security Principal: ");
  return line.append(NamesOf(principal.kind).tag).append(principal.qualifiedName).append("\n");
}

std::variant<SecurityPrincipal, PrincipalFailure> ResolvePrincipal(Console& console,
                                                                   platform::HostQueries& host,
                                                                   const RunSettings& settings) {
  console.DebugErr("UserID specified [" + settings.principalText + "]\n");
  std::variant<SecurityPrincipal, PrincipalFailure> resolved;
  if (!settings.principalText.empty()) {
    resolved = NamedAccount(console, settings);
  } else if (settings.principalKind == PrincipalKind::kComputer) {
    resolved = CurrentMachine(console, host);
  } else {
    resolved = CurrentUser(console, host);
  }
  const SecurityPrincipal* principal = std::get_if<SecurityPrincipal>(&resolved);
  if (principal == nullptr) return resolved;

  console.Out(PrincipalLine(*principal));
  console.DebugErr("Domain: " + principal->domain + "\nUserName: " + principal->samName + "\n");
  return resolved;
}

}  // namespace nestwalk
