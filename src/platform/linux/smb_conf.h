// The few [global] settings of a Samba configuration (smb.conf) that tell this machine's name
// and domain membership.
#ifndef NESTWALK_PLATFORM_LINUX_SMB_CONF_H_
#define NESTWALK_PLATFORM_LINUX_SMB_CONF_H_

#include <optional>
#include <string>
#include <string_view>

namespace nestwalk::platform {

inline constexpr const char* kSmbConfPath = "/etc/samba/smb.conf";

struct SmbConfSettings {
  std::optional<std::string> netbiosName;
  std::optional<std::string> workgroup;
  std::optional<std::string> realm;
  std::optional<std::string> security;
  std::optional<std::string> serverRole;

  // True when the settings describe a member of an AD domain or an AD domain controller.
  bool JoinedToDomain() const;
};

// Reads smb.conf text the way Samba does for these settings: parameter names ignore case,
// blanks and underscores ("netbios name" = "NetBIOSName"); only lines before any section and
// in [global] count; ';' and '#' start comment lines; a trailing '\' continues a line; values
// are trimmed; a later line wins. Lines that are not "name = value" are ignored.
SmbConfSettings ParseSmbConf(std::string_view text);

// ParseSmbConf of the file at `path`; nullopt when it cannot be read.
std::optional<SmbConfSettings> ReadSmbConf(const std::string& path);

}  // namespace nestwalk::platform

#endif  // NESTWALK_PLATFORM_LINUX_SMB_CONF_H_
