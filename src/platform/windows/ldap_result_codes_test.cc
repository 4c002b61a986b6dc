#include "platform/windows/ldap_result_codes.h"

#include <gtest/gtest.h>

#include "platform/directory.h"

namespace nestwalk::platform {
namespace {

// The run gives a server up on a time-out or a lost server, and ends a paging on "no results
// returned": each must arrive under the code the program tests for.
TEST(LdapResultCodes, ClientCodesBecomeTheProgramsOwn) {
  struct Case {
    unsigned long windows;
    int program;
  };
  for (const Case c : {Case{0x00, kLdapSuccess}, Case{0x0a, kLdapReferral},
                       Case{0x20, kLdapNoSuchObject}, Case{0x31, kLdapInvalidCredentials},
                       Case{0x50, 0x50}, Case{0x51, kLdapServerDown}, Case{0x52, kLdapLocalError},
                       Case{0x55, kLdapTimeout}, Case{0x59, -9}, Case{0x5e, kLdapNoResultsReturned},
                       Case{0x61, -17}, Case{0x62, 0x62}}) {
    SCOPED_TRACE(c.windows);
    EXPECT_EQ(ProgramLdapCode(c.windows), c.program);
    EXPECT_EQ(WindowsLdapCode(c.program), c.windows);
  }
}

}  // namespace
}  // namespace nestwalk::platform
