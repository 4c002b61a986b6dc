#include "membership/well_known_sids.h"

#include <array>
#include <utility>

namespace nestwalk {

namespace {

constexpr std::array<std::pair<std::string_view, std::string_view>, 30> kWellKnown{{
    {"S-1-0-0", "Nobody"},
    {"S-1-1-0", "Everyone"},
    {"S-1-2-0", "LOCAL"},
    {"S-1-2-1", "CONSOLE LOGON"},
    {"S-1-3-0", "CREATOR OWNER"},
    {"S-1-3-1", "CREATOR GROUP"},
    {"S-1-5-1", "NT AUTHORITY\\DIALUP"},
    {"S-1-5-2", "NT AUTHORITY\\NETWORK"},
    {"S-1-5-3", "NT AUTHORITY\\BATCH"},
    {"S-1-5-4", "NT AUTHORITY\\INTERACTIVE"},
    {"S-1-5-6", "NT AUTHORITY\\SERVICE"},
    {"S-1-5-7", "NT AUTHORITY\\ANONYMOUS LOGON"},
    {"S-1-5-8", "NT AUTHORITY\\PROXY"},
    {"S-1-5-9", "NT AUTHORITY\\ENTERPRISE DOMAIN CONTROLLERS"},
    {"S-1-5-10", "NT AUTHORITY\\SELF"},
    {"S-1-5-11", "NT AUTHORITY\\Authenticated Users"},
    {"S-1-5-12", "NT AUTHORITY\\RESTRICTED"},
    {"S-1-5-13", "NT AUTHORITY\\TERMINAL SERVER USER"},
    {"S-1-5-14", "NT AUTHORITY\\REMOTE INTERACTIVE LOGON"},
    {"S-1-5-15", "NT AUTHORITY\\This Organization"},
    {"S-1-5-17", "NT AUTHORITY\\IUSR"},
    {"S-1-5-18", "NT AUTHORITY\\SYSTEM"},
    {"S-1-5-19", "NT AUTHORITY\\LOCAL SERVICE"},
    {"S-1-5-20", "NT AUTHORITY\\NETWORK SERVICE"},
    {"S-1-5-32-544", "BUILTIN\\Administrators"},
    {"S-1-5-32-545", "BUILTIN\\Users"},
    {"S-1-5-32-546", "BUILTIN\\Guests"},
    {"S-1-5-64-10", "NT AUTHORITY\\NTLM Authentication"},
    {"S-1-5-113", "NT AUTHORITY\\Local account"},
    {"S-1-5-1000", "NT AUTHORITY\\Other Organization"},
}};

}  // namespace

std::optional<std::string> WellKnownSidName(std::string_view sidText) {
  for (const auto& [sid, name] : kWellKnown) {
    if (sid == sidText) return std::string(name);
  }
  // Every other SID of the BUILTIN domain is a local group of its own.
  if (sidText.starts_with("S-1-5-32-")) return "BUILTIN\\" + std::string(sidText);
  return std::nullopt;
}

}  // namespace nestwalk
