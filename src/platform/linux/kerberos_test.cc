#include "platform/linux/kerberos.h"

#include <gtest/gtest.h>
#include <krb5.h>

#include <cstdlib>
#include <optional>
#include <string>

namespace nestwalk::platform {
namespace {

// Sets an environment variable for one scope and puts the old value back afterwards.
class ScopedVariable {
 public:
  ScopedVariable(const char* name, const std::string& value) : name_(name) {
    if (const char* old = std::getenv(name)) saved_ = old;
    setenv(name, value.c_str(), 1);
  }
  ~ScopedVariable() {
    if (saved_) {
      setenv(name_, saved_->c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }
  ScopedVariable(const ScopedVariable&) = delete;
  ScopedVariable& operator=(const ScopedVariable&) = delete;

 private:
  const char* name_;
  std::optional<std::string> saved_;
};

// How the memory cache of a case is filled.
enum class Cache { kNone, kPrincipalOnly, kExpiredTicket, kValidTicket };

// Fills the memory cache `name` with `principal` and, as `cache` says, a ticket-granting ticket
// of its realm (the ticket's bytes are never looked at).
void FillCache(const std::string& name, const std::string& principal, Cache cache) {
  krb5_context context = nullptr;
  ASSERT_EQ(krb5_init_context(&context), 0);
  krb5_ccache ccache = nullptr;
  krb5_principal client = nullptr;
  krb5_principal server = nullptr;
  ASSERT_EQ(krb5_cc_resolve(context, name.c_str(), &ccache), 0);
  ASSERT_EQ(krb5_parse_name(context, principal.c_str(), &client), 0);
  ASSERT_EQ(krb5_cc_initialize(context, ccache, client), 0);
  if (cache == Cache::kExpiredTicket || cache == Cache::kValidTicket) {
    const std::string realm(client->realm.data, client->realm.length);
    ASSERT_EQ(krb5_parse_name(context, ("krbtgt/" + realm + "@" + realm).c_str(), &server), 0);
    krb5_timestamp now = 0;
    krb5_timeofday(context, &now);
    krb5_creds creds{};
    creds.client = client;
    creds.server = server;
    creds.times.starttime = now - 7200;
    creds.times.endtime = cache == Cache::kValidTicket ? now + 3600 : now - 3600;
    char ticket[] = "ticket";
    creds.ticket = {KV5M_DATA, sizeof ticket, ticket};
    EXPECT_EQ(krb5_cc_store_cred(context, ccache, &creds), 0);
    krb5_free_principal(context, server);
  }
  krb5_free_principal(context, client);
  krb5_cc_close(context, ccache);
  krb5_free_context(context);
}

TEST(KerberosTest, CallersTicketIsCheckedAgainstTheServersRealm) {
  // No krb5.conf: the server's realm is its domain upper-cased.
  const ScopedVariable config("KRB5_CONFIG", "/dev/null");
  struct Case {
    const char* name;
    Cache cache;
    std::string principal;
    TicketProblem problem;
    std::string ticketRealm;
    std::string serverRealm;
  };
  const Case cases[] = {
      {"no cache at all", Cache::kNone, "", TicketProblem::kNoTicket, "", ""},
      {"a principal without a ticket", Cache::kPrincipalOnly, "alice@CORP.TEST",
       TicketProblem::kNoTicket, "CORP.TEST", ""},
      {"an expired ticket", Cache::kExpiredTicket, "alice@CORP.TEST", TicketProblem::kExpired,
       "CORP.TEST", ""},
      {"a ticket of the server's realm", Cache::kValidTicket, "alice@CORP.TEST",
       TicketProblem::kNone, "CORP.TEST", "CORP.TEST"},
      {"a ticket of another realm", Cache::kValidTicket, "alice@OTHER.TEST",
       TicketProblem::kOtherRealm, "OTHER.TEST", "CORP.TEST"},
  };
  int number = 0;
  for (const Case& c : cases) {
    const std::string name = c.cache == Cache::kNone
                                 ? std::string("FILE:/nonexistent/nestwalk-test-cache")
                                 : "MEMORY:nestwalk-test-" + std::to_string(++number);
    if (c.cache != Cache::kNone) FillCache(name, c.principal, c.cache);
    const ScopedVariable cacheName("KRB5CCNAME", name);
    const CallerTicket ticket = CheckCallerTicket("dc1.corp.test");
    EXPECT_EQ(ticket.problem, c.problem) << c.name;
    EXPECT_EQ(ticket.ticketRealm, c.ticketRealm) << c.name;
    EXPECT_EQ(ticket.serverRealm, c.serverRealm) << c.name;
  }
}

}  // namespace
}  // namespace nestwalk::platform
