#include "driver/security_principal.h"

#include <string>
#include <string_view>

namespace nestwalk {

namespace {

// A failed host query: the error line, then the platform's advice when it has any.
PrincipalFailure HostFailure(Console& console, std::string_view message, int status,
                             const std::string& hint) {
  console.Err(std::string(message));
  if (!hint.empty()) console.Err("   " + hint + "\n");
  return PrincipalFailure{status};
}

std::string StatusLine(std::string_view prefix, int status) {
  return std::string(prefix) + std::to_string(status) + "\n";
}

std::variant<SecurityPrincipal, PrincipalFailure> CurrentMachine(Console& console,
                                                                 platform::HostQueries& host) {
  console.DebugErr("Determining current machine...\n");
  platform::ComputerNameAnswer computer = host.GetComputerName();
  if (computer.status != 0) {
    return HostFailure(console, StatusLine("Error: NetWkStaGetInfo failed - ", computer.status),
                       computer.status, computer.hint);
  }
  platform::JoinAnswer join = host.GetJoinInformation();
  if (join.status != 0) {
    return HostFailure(console, StatusLine("Error: NetGetJoinInformation failed - ", join.status),
                       join.status, join.hint);
  }
  if (!join.joinedToDomain) {
    return HostFailure(console, "Error: Machine does not appear to be part of a domain.\n", -1,
                       join.hint);
  }
  SecurityPrincipal principal;
  principal.kind = PrincipalKind::kComputer;
  principal.domain = join.domainName;
  principal.samName = computer.computerName + "$";
  principal.qualifiedName = principal.domain + "\\" + principal.samName;
  console.DebugErr("Computer: " + principal.qualifiedName + "\n");
  return principal;
}

std::variant<SecurityPrincipal, PrincipalFailure> CurrentUser(Console& console,
                                                              platform::HostQueries& host) {
  console.DebugErr("Determining current user...\n");
  platform::LoggedOnUserAnswer user = host.GetLoggedOnUser();
  if (user.status != 0) {
    return HostFailure(console, StatusLine("Error: NetWkStaUserGetInfo failed - ", user.status),
                       user.status, user.hint);
  }
  // Always a user: a group comes with a name, since the driver rejects -group without one.
  SecurityPrincipal principal;
  principal.domain = user.logonDomain;
  principal.samName = user.userName;
  principal.qualifiedName = principal.domain + "\\" + principal.samName;
  console.DebugErr("UserID: " + principal.qualifiedName + "\n");
  return principal;
}

std::variant<SecurityPrincipal, PrincipalFailure> NamedAccount(Console& console,
                                                               const RunSettings& settings) {
  const std::string& text = settings.principalText;
  std::size_t backslash = text.find('\\');
  if (backslash == std::string::npos) {
    console.Err(
        "Must specify Domain in userid/computer/group parameter\n"
        "   Format: flatdomain\\SAMName\n \n");
    console.Err("Program Terminated\n\n");
    return PrincipalFailure{-1};
  }
  console.DebugErr("Old style UserID\n");
  SecurityPrincipal principal;
  principal.kind = settings.principalKind;
  principal.domain = text.substr(0, backslash);
  principal.samName = text.substr(backslash + 1);
  // Computer accounts end in "$"; a name that has one anywhere is taken as complete.
  if (principal.kind == PrincipalKind::kComputer &&
      principal.samName.find('$') == std::string::npos) {
    principal.samName += "$";
  }
  principal.qualifiedName = text;
  return principal;
}

std::string_view KindTag(PrincipalKind kind) {
  switch (kind) {
    case PrincipalKind::kComputer:
      return "[COMPUTER] ";
    case PrincipalKind::kGroup:
      return "[GROUP] ";
    case PrincipalKind::kUser:
      break;
  }
  return "[USER] ";
}

}  // namespace

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

  std::string line("Security Principal: ");
  line.append(KindTag(principal->kind)).append(principal->qualifiedName).append("\n");
  console.Out(line);
  console.DebugErr("Domain: " + principal->domain + "\nUserName: " + principal->samName + "\n");
  return resolved;
}

}  // namespace nestwalk
