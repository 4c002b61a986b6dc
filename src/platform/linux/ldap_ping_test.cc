#include "platform/linux/ldap_ping.h"

#include <gtest/gtest.h>

#include <chrono>
#include <stop_token>
#include <thread>

#include "platform/linux/silent_listener_fixture.h"

namespace nestwalk::platform {
namespace {

TEST(LdapPingTest, FilterNamesTheDomainEscaped) {
  EXPECT_EQ(PingFilter("corp.nestwalk.test"),
            "(&(DnsDomain=corp.nestwalk.test)(NtVer=\\06\\00\\00\\00))");
  EXPECT_EQ(PingFilter(""), "(&(NtVer=\\06\\00\\00\\00))");
  EXPECT_EQ(PingFilter("x)(objectClass=*"),
            "(&(DnsDomain=x\\29\\28objectClass=\\2a)(NtVer=\\06\\00\\00\\00))");
}

TEST(LdapPingTest, HostsThatCannotBeNamedAreUnreachable) {
  EXPECT_EQ(PingServer("", 389, "corp.test").outcome, PingOutcome::kUnreachable);
}

TEST(LdapPingTest, AServerThatNeverAnswersIsGivenUpOnAfterTheTimeout) {
  SilentListener listener;
  ASSERT_NE(listener.port(), 0);
  const auto start = std::chrono::steady_clock::now();
  const PingResult result =
      PingServer("127.0.0.1", listener.port(), "corp.test", std::chrono::milliseconds(300));
  // Connected, so not unreachable: the locator tells a slow server apart from a missing one.
  EXPECT_EQ(result.outcome, PingOutcome::kTimedOut);
  // Generous: the bound is what matters, not the exact figure.
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

// Without the stop each ping would wait an hour for the silent server: a test that hangs.
TEST(LdapPingTest, AStopRequestEndsThePingAtOnce) {
  for (const bool whileWaiting : {false, true}) {
    SilentListener listener;
    ASSERT_NE(listener.port(), 0);
    std::stop_source stop;
    if (!whileWaiting) stop.request_stop();
    const std::jthread stopper([&] {
      if (!whileWaiting) return;
      std::this_thread::sleep_for(std::chrono::milliseconds(200));
      stop.request_stop();
    });
    const PingResult result = PingServer("127.0.0.1", listener.port(), "corp.test",
                                         std::chrono::hours(1), stop.get_token());
    EXPECT_EQ(result.outcome, PingOutcome::kUnreachable) << "while waiting: " << whileWaiting;
  }
}

}  // namespace
}  // namespace nestwalk::platform
