// Security identifier conversions between the published text form ("S-1-5-21-1-2-3") and the
// binary form (revision, sub-authority count, 48-bit big-endian authority, 32-bit little-endian
// sub-authorities).
#ifndef NESTWALK_PLATFORM_SID_H_
#define NESTWALK_PLATFORM_SID_H_

#include <optional>
#include <string>
#include <string_view>

namespace nestwalk::platform {

// The status of a failed conversion (ERROR_INVALID_SID).
inline constexpr int kErrorInvalidSid = 1337;

// Parses the text form with the acceptance rules of the Windows parser (lower-case "s-", hex
// "0x" fields and decimal leading zeros accepted; an authority of 2^48 or more, a sub-authority
// above 2^32-1, empty fields, blanks, no sub-authority and more than 15 sub-authorities
// rejected). Returns the binary SID, or nullopt when the text is not a SID.
std::optional<std::string> SidFromText(std::string_view text);

// Formats a binary SID: "S-1-", the authority in decimal below 2^32, else "0x" and 12 hex
// digits, then each sub-authority in decimal. nullopt when the bytes are not a whole SID.
std::optional<std::string> SidToText(std::string_view binary);

}  // namespace nestwalk::platform

#endif  // NESTWALK_PLATFORM_SID_H_
