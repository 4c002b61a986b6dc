#include "platform/linux/negotiate_failure.h"

#include <gtest/gtest.h>

#include <string>

namespace nestwalk::platform {
namespace {

constexpr int kLocalError = -2;   // libldap's LDAP_LOCAL_ERROR
constexpr int kAuthUnknown = -6;  // libldap's LDAP_AUTH_UNKNOWN

const std::string kNoCredentials =
    "SASL(-1): generic failure: GSSAPI Error: No credentials were supplied, or the credentials "
    "were unavailable or inaccessible (No Kerberos credentials available (default cache: "
    "FILE:/tmp/none))";
const std::string kUnknownServer =
    "SASL(-1): generic failure: GSSAPI Error: Unspecified GSS failure.  Minor code may provide "
    "more information (Server ldap/dc9.corp.test@CORP.TEST not found in Kerberos database)";

TEST(NegotiateFailureTest, GssMinorTextIsTheClosingParentheses) {
  EXPECT_EQ(GssMinorText(kNoCredentials),
            "No Kerberos credentials available (default cache: FILE:/tmp/none)");
  EXPECT_EQ(GssMinorText("SASL(-1): generic failure: GSSAPI Error: Miscellaneous failure"),
            "Miscellaneous failure");
  EXPECT_EQ(GssMinorText("Cannot contact any KDC for realm 'CORP.TEST'"),
            "Cannot contact any KDC for realm 'CORP.TEST'");
}

TEST(NegotiateFailureTest, ReasonByCodeDetailAndTicket) {
  const std::string kinit = ": run kinit to obtain a Kerberos ticket";
  const CallerTicket none{TicketProblem::kNoTicket, "", ""};
  const CallerTicket expired{TicketProblem::kExpired, "CORP.TEST", ""};
  const CallerTicket fine{TicketProblem::kNone, "CORP.TEST", "CORP.TEST"};
  const CallerTicket other{TicketProblem::kOtherRealm, "OTHER.TEST", "CORP.TEST"};
  struct Case {
    const char* name;
    NegotiateFailure failure;
    std::string reason;
  };
  const Case cases[] = {
      {"no GSSAPI plugin",
       {kAuthUnknown, "SASL(-4): no mechanism available: No worthy mechs found", std::nullopt},
       "SASL: the GSSAPI plugin of Cyrus SASL is missing: install the Debian package "
       "libsasl2-modules-gssapi-mit (or check SASL_PATH)"},
      {"no ticket",
       {kLocalError, kNoCredentials, none},
       "Kerberos: No Kerberos credentials available (default cache: FILE:/tmp/none)" + kinit},
      {"expired ticket",
       {kLocalError,
        "SASL(-1): generic failure: GSSAPI Error: Unspecified GSS failure.  Minor code may "
        "provide more information (Ticket expired)",
        expired},
       "Kerberos: Ticket expired" + kinit},
      {"ticket of another realm",
       {kLocalError, kUnknownServer, other},
       "Kerberos: Server ldap/dc9.corp.test@CORP.TEST not found in Kerberos database (the ticket "
       "is of realm OTHER.TEST, the server of realm CORP.TEST)" +
           kinit},
      {"a good ticket: no kinit hint",
       {kLocalError, kUnknownServer, fine},
       "Kerberos: Server ldap/dc9.corp.test@CORP.TEST not found in Kerberos database"},
      {"explicit credentials: the acquisition's own text",
       {kLocalError, "Cannot contact any KDC for realm 'CORP.TEST'", std::nullopt},
       "Kerberos: Cannot contact any KDC for realm 'CORP.TEST'"},
      {"a local error with nothing to add", {kLocalError, "", none}, ""},
      {"invalid credentials tell enough", {49, "KDC has no support", std::nullopt}, ""},
      {"a time-out tells enough", {-5, "", none}, ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(NegotiateFailureReason(c.failure), c.reason) << c.name;
  }
}

}  // namespace
}  // namespace nestwalk::platform
