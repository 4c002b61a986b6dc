// Decoder of the answer to an LDAP ping: the NETLOGON_SAM_LOGON_RESPONSE_EX structure that a
// domain controller returns in its Netlogon attribute.
#ifndef NESTWALK_PLATFORM_LINUX_NETLOGON_RESPONSE_H_
#define NESTWALK_PLATFORM_LINUX_NETLOGON_RESPONSE_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace nestwalk::platform {

// Opcodes of the extended response.
inline constexpr std::uint16_t kLogonSamLogonResponseEx = 23;
inline constexpr std::uint16_t kLogonSamPauseResponseEx = 24;
inline constexpr std::uint16_t kLogonSamUserUnknownEx = 25;

// DS_* flags of the answer that the locator looks at.
inline constexpr unsigned kDsDsFlag = 0x10;
inline constexpr unsigned kDsGcAnswerFlag = 0x4;

struct NetlogonResponse {
  std::uint16_t opcode = 0;
  std::uint32_t flags = 0;
  std::string domainGuid;  // 16 raw bytes
  std::string dnsForestName;
  std::string dnsDomainName;
  std::string dnsHostName;
  std::string netbiosDomainName;
  std::string netbiosComputerName;
  std::string userName;
  std::string dcSiteName;
  std::string clientSiteName;
  std::string nextClosestSiteName;  // only when the answer carries it
  std::uint32_t ntVersion = 0;
};

// Decodes `blob`, which comes straight from the network: every read is bounds-checked, names
// must be well-formed RFC 1035 names of at most 255 bytes whose compression pointers only point
// backwards (a chain of pointers alone always ends; a loop through a label ends at the length
// limit), and the trailer must carry NtVersion with bit 0x4 and both 0xFFFF tokens. nullopt when
// anything is wrong; no partial answers.
std::optional<NetlogonResponse> ParseNetlogonResponse(std::string_view blob);

}  // namespace nestwalk::platform

#endif  // NESTWALK_PLATFORM_LINUX_NETLOGON_RESPONSE_H_
