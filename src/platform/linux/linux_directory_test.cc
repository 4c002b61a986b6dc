#include "platform/linux/linux_directory.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <pthread.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/linux/referring_server_fixture.h"
#include "platform/linux/silent_listener_fixture.h"

namespace nestwalk::platform {
namespace {

constexpr int kParamError = -9;  // libldap's LDAP_PARAM_ERROR
constexpr int kTimeout = -5;     // libldap's LDAP_TIMEOUT

// A loopback port that nothing listens on: bound once by the kernel's choice, then closed.
int ClosedLoopbackPort() {
  int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
  getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  close(fd);
  return ntohs(address.sin_port);
}

// A connection to a loopback port, set up for LDAP v3 as the program does.
LdapHandle OpenLoopback(LinuxDirectory& directory, int port) {
  LdapHandle handle = directory.Open("127.0.0.1", port, false).handle;
  directory.SetOption(handle, LdapOption::kProtocolVersion, 3);
  return handle;
}

SearchRequest RootDseRequest() {
  SearchRequest request;
  request.attributes = {"defaultNamingContext"};
  return request;
}

TEST(LinuxDirectoryTest, OpenGivesDistinctHandlesWithoutConnecting) {
  LinuxDirectory directory;
  OpenResult first = directory.Open("dc1.corp.example.com", 389, false);
  OpenResult second = directory.Open("::1", 3269, true);
  OpenResult fallback = directory.Open(std::nullopt, 389, false);
  for (const OpenResult* opened : {&first, &second, &fallback}) {
    EXPECT_TRUE(opened->handle.valid());
    EXPECT_EQ(opened->error, 0);
  }
  EXPECT_NE(first.handle, second.handle);
  EXPECT_NE(second.handle, fallback.handle);
}

// libldap itself would wrap such a port around to another one.
TEST(LinuxDirectoryTest, OpenRefusesAPortBeyondTcpsRange) {
  LinuxDirectory directory;
  OpenResult opened = directory.Open("dc1", 65536 + 389, false);
  EXPECT_FALSE(opened.handle.valid());
  EXPECT_EQ(opened.error, kParamError);
  EXPECT_TRUE(directory.Open("dc1", 65535, false).handle.valid());
}

TEST(LinuxDirectoryTest, EveryOptionCanBeSetBeforeConnecting) {
  LinuxDirectory directory;
  LdapHandle handle = directory.Open("dc1.corp.example.com", 389, false).handle;
  EXPECT_EQ(directory.SetOption(handle, LdapOption::kProtocolVersion, 3), 0);
  EXPECT_EQ(directory.SetOption(handle, LdapOption::kReferrals, 0), 0);
  EXPECT_EQ(directory.SetOption(handle, LdapOption::kReferrals, 1), 0);
  EXPECT_EQ(directory.SetOption(handle, LdapOption::kEncryption, 1), 0);
}

// Handles never opened, and handles already unbound, are refused without a crash; a later
// connection never answers to an old handle.
TEST(LinuxDirectoryTest, UnknownHandlesAreRefused) {
  LinuxDirectory directory;
  LdapHandle unbound = directory.Open("dc1.corp.example.com", 389, false).handle;
  directory.Unbind(unbound);
  LdapHandle later = directory.Open("dc1.corp.example.com", 389, false).handle;
  EXPECT_NE(later, unbound);
  for (LdapHandle handle : {LdapHandle(), LdapHandle(12345), unbound}) {
    EXPECT_EQ(directory.SetOption(handle, LdapOption::kProtocolVersion, 3), kParamError);
    EXPECT_EQ(directory.SimpleBind(handle, std::nullopt, std::nullopt), kParamError);
    EXPECT_EQ(directory.NegotiateBind(handle, std::nullopt), kParamError);
    SearchResult result = directory.Search(handle, RootDseRequest());
    EXPECT_EQ(result.code, kParamError);
    EXPECT_TRUE(result.entries.empty());
    EXPECT_EQ(directory.StartPagedSearch(handle, RootDseRequest(), 2), nullptr);
    EXPECT_EQ(directory.ServerErrorText(handle), std::nullopt);
    directory.Unbind(handle);
  }
}

TEST(LinuxDirectoryTest, PagedSearchOfAClosedConnectionFails) {
  LinuxDirectory directory;
  LdapHandle handle = directory.Open("dc1.corp.example.com", 389, false).handle;
  EXPECT_EQ(directory.StartPagedSearch(handle, RootDseRequest(), 0), nullptr);
  std::unique_ptr<PagedSearch> search = directory.StartPagedSearch(handle, RootDseRequest(), 2);
  ASSERT_NE(search, nullptr);
  directory.Unbind(handle);
  std::vector<Entry> page{Entry{"CN=stale", {}}};
  EXPECT_EQ(search->NextPage(page), kParamError);
  EXPECT_TRUE(page.empty());
  EXPECT_NE(search->NextPage(page), 0);
}

TEST(LinuxDirectoryTest, ErrorTextIsTheLibrarysWording) {
  LinuxDirectory directory;
  EXPECT_EQ(directory.ErrorText(0), "Success");
  EXPECT_EQ(directory.ErrorText(49), "Invalid credentials");
  EXPECT_EQ(directory.ErrorText(kLdapServerDown), "Can't contact LDAP server");
}

// Nothing listens: every operation that has to connect fails at once with "server down", and
// neither libldap nor SASL writes anything to the terminal.
TEST(LinuxDirectoryTest, AClosedPortFailsQuietlyWithServerDown) {
  LinuxDirectory directory;
  const int port = ClosedLoopbackPort();
  ::testing::internal::CaptureStdout();
  ::testing::internal::CaptureStderr();
  LdapHandle negotiate = OpenLoopback(directory, port);
  const int negotiateCode = directory.NegotiateBind(negotiate, std::nullopt);
  LdapHandle simple = OpenLoopback(directory, port);
  const int simpleCode = directory.SimpleBind(simple, std::nullopt, std::nullopt);
  const int searchCode = directory.Search(simple, RootDseRequest()).code;
  std::vector<Entry> page;
  const int pageCode = directory.StartPagedSearch(simple, RootDseRequest(), 2)->NextPage(page);
  const std::string out = ::testing::internal::GetCapturedStdout();
  const std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(negotiateCode, kLdapServerDown);
  EXPECT_EQ(simpleCode, kLdapServerDown);
  EXPECT_EQ(searchCode, kLdapServerDown);
  EXPECT_EQ(pageCode, kLdapServerDown);
  EXPECT_EQ(out, "");
  EXPECT_EQ(err, "");
}

// A server that takes the connection and never answers: binds and searches give up after the
// response timeout instead of waiting for ever.
TEST(LinuxDirectoryTest, AServerThatNeverAnswersTimesOut) {
  SilentListener listener;
  ASSERT_NE(listener.port(), 0);
  LinuxDirectory directory(std::chrono::seconds(1));
  const auto start = std::chrono::steady_clock::now();
  LdapHandle bind = OpenLoopback(directory, listener.port());
  EXPECT_EQ(directory.SimpleBind(bind, std::nullopt, std::nullopt), kTimeout);
  LdapHandle search = OpenLoopback(directory, listener.port());
  EXPECT_EQ(directory.Search(search, RootDseRequest()).code, kTimeout);
  std::vector<Entry> page;
  LdapHandle paged = OpenLoopback(directory, listener.port());
  EXPECT_EQ(directory.StartPagedSearch(paged, RootDseRequest(), 2)->NextPage(page), kTimeout);
  // Generous: the bound is what matters, not the exact figure.
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
}

// A signal that interrupts the wait for an answer does not end the wait (libldap would report
// the server gone): the search ends at its time limit as if nothing had happened.
TEST(LinuxDirectoryTest, AnInterruptedWaitGoesOnToTheTimeLimit) {
  struct sigaction poke {};
  poke.sa_handler = [](int) {};
  sigemptyset(&poke.sa_mask);
  struct sigaction saved {};
  ASSERT_EQ(sigaction(SIGUSR1, &poke, &saved), 0);
  SilentListener listener;
  ASSERT_NE(listener.port(), 0);
  LinuxDirectory directory(std::chrono::seconds(2));
  LdapHandle handle = OpenLoopback(directory, listener.port());
  const pthread_t waiting = pthread_self();
  std::thread poker([waiting] {
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    pthread_kill(waiting, SIGUSR1);
  });
  const auto start = std::chrono::steady_clock::now();
  const int code = directory.Search(handle, RootDseRequest()).code;
  const auto waited = std::chrono::steady_clock::now() - start;
  poker.join();
  sigaction(SIGUSR1, &saved, nullptr);
  EXPECT_EQ(code, kTimeout);
  EXPECT_GE(waited, std::chrono::milliseconds(1500));
}

// A server that answers with a referral, whatever the connection asked: every way of searching
// reports the referral with the URL it names, and the host named is never contacted (libldap
// would bind there anonymously and believe its answer).
TEST(LinuxDirectoryTest, AReferralIsReportedWithItsUrlAndNeverFollowed) {
  SilentListener elsewhere;
  ASSERT_NE(elsewhere.port(), 0);
  const std::string url =
      "ldap://127.0.0.1:" + std::to_string(elsewhere.port()) + "/DC=elsewhere,DC=test";
  ReferringServer server(url);
  ASSERT_NE(server.port(), 0);
  LinuxDirectory directory(std::chrono::seconds(2));
  LdapHandle handle = OpenLoopback(directory, server.port());
  ASSERT_EQ(directory.SetOption(handle, LdapOption::kReferrals, 1), 0);

  const SearchResult searched = directory.Search(handle, RootDseRequest());
  const int sent = directory.SendSearch(handle, RootDseRequest());
  const std::vector<SearchAnswer> answers = directory.AwaitAnswers(std::chrono::seconds(5));
  std::vector<Entry> page;
  const int pageCode = directory.StartPagedSearch(handle, RootDseRequest(), 2)->NextPage(page);

  EXPECT_EQ(searched.code, kLdapReferral);
  EXPECT_EQ(searched.referrals, std::vector<std::string>{url});
  ASSERT_EQ(answers.size(), 1u);
  EXPECT_EQ(answers[0].id, sent);
  EXPECT_EQ(answers[0].result.code, kLdapReferral);
  EXPECT_EQ(answers[0].result.referrals, std::vector<std::string>{url});
  EXPECT_EQ(pageCode, kLdapReferral);
  EXPECT_FALSE(elsewhere.Connected());
}

// The Kerberos step of a negotiate bind fails before anything is sent when the caller has no
// ticket: the reason is the GSS-API text with the kinit hint, and it goes with the next bind.
TEST(LinuxDirectoryTest, ANegotiateBindWithoutATicketTellsTheKerberosReason) {
  const char* saved = std::getenv("KRB5CCNAME");
  const std::string savedName = saved != nullptr ? saved : "";
  setenv("KRB5CCNAME", "FILE:/nonexistent/nestwalk-test-cache", 1);
  SilentListener listener;
  ASSERT_NE(listener.port(), 0);
  LinuxDirectory directory(std::chrono::seconds(1));
  LdapHandle handle = OpenLoopback(directory, listener.port());
  EXPECT_EQ(directory.NegotiateBind(handle, std::nullopt), kLdapLocalError);
  EXPECT_EQ(directory.BindFailureReason(handle),
            "Kerberos: No Kerberos credentials available (default cache: "
            "FILE:/nonexistent/nestwalk-test-cache): run kinit to obtain a Kerberos ticket");
  EXPECT_EQ(directory.SimpleBind(handle, std::nullopt, std::nullopt), kTimeout);
  EXPECT_EQ(directory.BindFailureReason(handle), std::nullopt);
  EXPECT_EQ(directory.BindFailureReason(LdapHandle(999)), std::nullopt);
  if (saved != nullptr) {
    setenv("KRB5CCNAME", savedName.c_str(), 1);
  } else {
    unsetenv("KRB5CCNAME");
  }
}

// Each answer as "id:code", sorted, so that a missing or a repeated answer shows.
std::vector<std::string> AnswerList(const std::vector<SearchAnswer>& answers) {
  std::vector<std::pair<int, int>> pairs;
  for (const SearchAnswer& answer : answers) pairs.emplace_back(answer.id, answer.result.code);
  std::sort(pairs.begin(), pairs.end());
  std::vector<std::string> listed;
  for (auto [id, code] : pairs) listed.push_back(std::to_string(id) + ":" + std::to_string(code));
  return listed;
}

// Sent searches that never reach a server are answered with the failure of their sending, at the
// next wait; those of a connection unbound before that are not answered at all.
TEST(LinuxDirectoryTest, SearchesThatCannotBeSentAreAnsweredWithTheirFailure) {
  LinuxDirectory directory;
  const int port = ClosedLoopbackPort();
  LdapHandle closed = OpenLoopback(directory, port);
  LdapHandle dropped = directory.Open("127.0.0.1", port, false).handle;
  const int toClosed = directory.SendSearch(closed, RootDseRequest());
  const int toUnknown = directory.SendSearch(LdapHandle(999), RootDseRequest());
  directory.SendSearch(dropped, RootDseRequest());
  directory.Unbind(dropped);
  EXPECT_EQ(AnswerList(directory.AwaitAnswers(std::chrono::seconds(5))),
            AnswerList({{closed, toClosed, {kLdapServerDown, {}}},
                        {LdapHandle(999), toUnknown, {kParamError, {}}}}));
  EXPECT_TRUE(directory.AwaitAnswers(std::chrono::seconds(5)).empty());
}

// A server that takes the requests and never answers: every sent search ends with a timeout
// once, and the connection can be unbound afterwards.
TEST(LinuxDirectoryTest, SearchesSentToAServerThatNeverAnswersEachTimeOutOnce) {
  SilentListener listener;
  ASSERT_NE(listener.port(), 0);
  LinuxDirectory directory(std::chrono::seconds(1));
  const auto start = std::chrono::steady_clock::now();
  LdapHandle handle = OpenLoopback(directory, listener.port());
  std::vector<SearchAnswer> expected;
  for (int sent = 0; sent < 5; ++sent) {
    expected.push_back({handle, directory.SendSearch(handle, RootDseRequest()), {kTimeout, {}}});
  }
  std::vector<SearchAnswer> answers;
  for (int wait = 0; wait < 10 && answers.size() < expected.size(); ++wait) {
    for (SearchAnswer& answer : directory.AwaitAnswers(std::chrono::seconds(30))) {
      answers.push_back(std::move(answer));
    }
  }
  EXPECT_EQ(AnswerList(answers), AnswerList(expected));
  EXPECT_TRUE(directory.AwaitAnswers(std::chrono::seconds(30)).empty());
  directory.Unbind(handle);
  // Generous: the bound is what matters, not the exact figure.
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
}

// A server that takes the connection and never reads: a search too large for the sockets' buffers
// cannot even be sent in full, and still ends at the time limit, sent ahead or not.
TEST(LinuxDirectoryTest, ASearchTheServerNeverReadsEndsAtTheTimeLimit) {
  SilentListener listener;
  ASSERT_NE(listener.port(), 0);
  LinuxDirectory directory(std::chrono::seconds(1));
  SearchRequest large = RootDseRequest();
  large.filter = "(description=" + std::string(std::size_t{16} << 20, 'x') + ")";
  const auto start = std::chrono::steady_clock::now();
  LdapHandle searched = OpenLoopback(directory, listener.port());
  EXPECT_EQ(directory.Search(searched, large).code, kTimeout);
  LdapHandle sentOn = OpenLoopback(directory, listener.port());
  const int sent = directory.SendSearch(sentOn, large);
  EXPECT_EQ(AnswerList(directory.AwaitAnswers(std::chrono::seconds(5))),
            AnswerList({{sentOn, sent, {kTimeout, {}}}}));
  directory.Unbind(searched);
  directory.Unbind(sentOn);
  // Generous: the bound is what matters, not the exact figure.
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
}

}  // namespace
}  // namespace nestwalk::platform
