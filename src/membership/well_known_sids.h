// The SIDs that name no account of any domain (Everyone, Authenticated Users, BUILTIN groups...):
// a foreign security principal of one of them is named, never looked up in a trusted domain.
#ifndef NESTWALK_MEMBERSHIP_WELL_KNOWN_SIDS_H_
#define NESTWALK_MEMBERSHIP_WELL_KNOWN_SIDS_H_

#include <optional>
#include <string>
#include <string_view>

namespace nestwalk {

// "NT AUTHORITY\Authenticated Users" for "S-1-5-11", "Everyone" for "S-1-1-0"; nullopt for a SID
// of a domain's account or one this table does not know.
std::optional<std::string> WellKnownSidName(std::string_view sidText);

}  // namespace nestwalk

#endif  // NESTWALK_MEMBERSHIP_WELL_KNOWN_SIDS_H_
