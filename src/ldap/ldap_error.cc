#include "ldap/ldap_error.h"

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

namespace nestwalk {

namespace {

// Lower-case hexadecimal of the code's 32 bits, no leading zeros: -1 gives "ffffffff".
std::string Hex(int code) {
  char digits[9];
  std::snprintf(digits, sizeof digits, "%x", static_cast<std::uint32_t>(code));
  return digits;
}

}  // namespace

void ReportLdapError(Console& console, platform::Directory& directory, std::string_view label,
                     std::string_view server, int code, platform::LdapHandle connection) {
  std::optional<std::string> extended;
  if (connection.valid()) extended = directory.ServerErrorText(connection);

  std::string line(label);
  line.append(": [").append(server).append("] Error 0x").append(Hex(code));
  line.append(" (").append(std::to_string(code)).append(") - ");
  line.append(directory.ErrorText(code)).append("\n");
  console.Err(line);
  if (extended) console.Err("Extended Error: (" + *extended + ")\n");
}

void ReportSearchFailure(Console& console, platform::Directory& directory,
                         const platform::SearchResult& result) {
  std::string lines = "LDAP_SEARCH_S: 0x" + Hex(result.code) +
                      "\nLDAP_SEARCH_S: " + directory.ErrorText(result.code) + "\n";
  if (result.code == platform::kLdapReferral) {
    // A referral is never followed without the caller's credentials: its answer could come
    // from any host.
    for (const std::string& url : result.referrals) {
      lines += "   Referral to " + url + " not followed\n";
    }
  }
  console.Err(lines + "\n");
}

}  // namespace nestwalk
