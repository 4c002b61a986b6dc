#include "platform/windows/refused_bind.h"

#include <array>

#include "platform/directory.h"
#include "text/case_folding.h"

namespace nestwalk::platform {

namespace {

struct LogonFailure {
  std::string_view data;  // the hex code after "data ", lower case
  std::string_view cause;
};

// The sub-codes of a refused logon (the Win32 errors ERROR_NO_SUCH_USER, ERROR_LOGON_FAILURE,
// ERROR_INVALID_LOGON_HOURS, ERROR_INVALID_WORKSTATION, ERROR_PASSWORD_EXPIRED,
// ERROR_ACCOUNT_DISABLED, ERROR_ACCOUNT_EXPIRED, ERROR_PASSWORD_MUST_CHANGE,
// ERROR_ACCOUNT_LOCKED_OUT).
constexpr std::array<LogonFailure, 9> kLogonFailures{{
    {"525", "the account does not exist"},
    {"52e", "the user name or the password is wrong"},
    {"530", "the account may not log on at this time"},
    {"531", "the account may not log on from this computer"},
    {"532", "the password has expired"},
    {"533", "the account is disabled"},
    {"701", "the account has expired"},
    {"773", "the password must be changed before the account can log on"},
    {"775", "the account is locked out"},
}};

// The hex code after "data " in `text`, lower-cased; empty when there is none.
std::string DataCode(std::string_view text) {
  const std::string lower = LowerCaseText(std::string(text));
  const std::size_t start = lower.find("data ");
  if (start == std::string::npos) return std::string();
  std::string code;
  for (std::size_t at = start + 5; at < lower.size(); ++at) {
    const char c = lower[at];
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) break;
    code += c;
  }
  return code;
}

}  // namespace

std::string RefusedBindReason(int code, std::string_view serverText, bool explicitIdentity) {
  if (code == kLdapSuccess) return std::string();
  const std::string data = DataCode(serverText);
  for (const LogonFailure& failure : kLogonFailures) {
    if (data == failure.data) {
      return "Logon refused: " + std::string(failure.cause) + " (data " + data + ")";
    }
  }
  if (code == kLdapInvalidCredentials && explicitIdentity) {
    return "Logon refused: check the user name, its domain and the password (the account may "
           "also be unknown, disabled or locked out)";
  }
  return std::string();
}

}  // namespace nestwalk::platform
