#include "platform/windows/refused_bind.h"

#include <gtest/gtest.h>

#include "platform/directory.h"

namespace nestwalk::platform {
namespace {

// An administrator who binds with -as must learn whether the password was wrong or the
// account locked: both come back as 49.
TEST(RefusedBind, NamesTheCauseTheServerGives) {
  struct Case {
    int code;
    std::string serverText;
    bool explicitIdentity;
    std::string reason;
  };
  const std::string prefix =
      "80090308: LdapErr: DSID-0C09044E, comment: AcceptSecurityContext error, ";
  for (const Case& c : {
           Case{kLdapInvalidCredentials, prefix + "data 775, v4563", true,
                "Logon refused: the account is locked out (data 775)"},
           Case{kLdapInvalidCredentials, prefix + "DATA 52E, v4563", false,
                "Logon refused: the user name or the password is wrong (data 52e)"},
           Case{kLdapInvalidCredentials, prefix + "data 533, v4563", true,
                "Logon refused: the account is disabled (data 533)"},
           Case{kLdapInvalidCredentials, "", true,
                "Logon refused: check the user name, its domain and the password (the account "
                "may also be unknown, disabled or locked out)"},
           Case{kLdapInvalidCredentials, prefix + "data 0, v4563", false, ""},
           Case{kLdapInvalidCredentials, "", false, ""},
           Case{kLdapServerDown, "", true, ""},
           Case{kLdapSuccess, prefix + "data 775", true, ""},
       }) {
    SCOPED_TRACE(c.serverText);
    EXPECT_EQ(RefusedBindReason(c.code, c.serverText, c.explicitIdentity), c.reason);
  }
}

}  // namespace
}  // namespace nestwalk::platform
