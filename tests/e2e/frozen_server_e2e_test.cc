// A domain controller that hangs in the middle of a walk: the relay of bench/latency stands in
// front of the test DC's LDAP and GC ports and freezes once the walk's reads have begun. The run
// must still end in bounded time, with what it could read, its error lines and the warning.
#include <gtest/gtest.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "platform/linux/linux_directory.h"
#include "support/command_runner.h"
#include "support/e2e_environment.h"

namespace nestwalk::e2e {
namespace {

// The relay's own loopback address inside the test domain's namespace.
constexpr char kRelayAddress[] = "127.0.0.51";
// On the GC connection the bind takes three requests and the RootDSE one: the sixth is the
// second read of the walk, which the frozen relay never delivers.
constexpr char kFreezePoint[] = "6";
constexpr std::chrono::seconds kRunLimit{180};

// A directory of its own for the run's files, removed with everything in it.
class ScratchDirectory {
 public:
  ScratchDirectory() {
    std::string pattern = (std::filesystem::temp_directory_path() / "nestwalk-frozen-XXXXXX");
    if (mkdtemp(pattern.data()) != nullptr) path_ = pattern;
  }
  ~ScratchDirectory() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  ScratchDirectory(const ScratchDirectory&) = delete;
  ScratchDirectory& operator=(const ScratchDirectory&) = delete;

  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// The IPv4 address `host` resolves to in this namespace; empty when it resolves to none.
std::string AddressOf(const std::string& host) {
  addrinfo hints{};
  hints.ai_family = AF_INET;
  addrinfo* found = nullptr;
  if (getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0) return std::string();
  std::array<char, NI_MAXHOST> text{};
  const int code = getnameinfo(found->ai_addr, found->ai_addrlen, text.data(), text.size(), nullptr,
                               0, NI_NUMERICHOST);
  freeaddrinfo(found);
  return code == 0 ? std::string(text.data()) : std::string();
}

void WriteFile(const std::filesystem::path& path, const std::string& text) {
  std::ofstream(path) << text;
}

// The last line of `text`, without its line end.
std::string LastLine(std::string_view text) {
  if (text.ends_with('\n')) text.remove_suffix(1);
  return std::string(text.substr(text.rfind('\n') + 1));
}

TEST(FrozenServerE2e, AWalkWhoseDcFreezesEndsWithinTheTimeLimitsWithAWarning) {
  NESTWALK_E2E_REQUIRE_DOMAIN(env);
  const std::filesystem::path relay =
      std::filesystem::path(env.nestwalk).parent_path() / "bench" / "nestwalk_latency_relay";
  ASSERT_TRUE(std::filesystem::exists(relay)) << relay << " is not built";
  const std::string dcAddress = AddressOf(env.dc);
  ASSERT_FALSE(dcAddress.empty()) << env.dc;
  ScratchDirectory scratch;
  ASSERT_FALSE(scratch.path().empty());

  // The program reaches the DC's name at the relay; Kerberos still asks the DC's own KDC.
  const std::string shortName = env.dc.substr(0, env.dc.find('.'));
  WriteFile(scratch.path() / "hosts", "127.0.0.1 localhost\n" + std::string(kRelayAddress) + " " +
                                          env.dc + " " + shortName + "\n");
  WriteFile(scratch.path() / "krb5.conf",
            "[libdefaults]\n default_realm = " + env.realm +
                "\n dns_lookup_realm = false\n dns_lookup_kdc = false\n rdns = false\n"
                "[realms]\n " +
                env.realm + " = {\n  kdc = " + dcAddress + "\n }\n[domain_realm]\n ." + env.domain +
                " = " + env.realm + "\n " + env.domain + " = " + env.realm + "\n");

  const std::string relayAt = std::string(kRelayAddress) + ":";
  // The relay is started by the shell and stopped by it; it also ends by itself at the limit.
  // The run waits until the relay's GC port listens (127.0.0.51:3268 in /proc/net/tcp).
  const std::string script =
      "\"$1\" --freeze=$2@" + relayAt + "3268 0 " + std::to_string(kRunLimit.count()) + " " +
      relayAt + "389=" + dcAddress + ":389 " + relayAt + "3268=" + dcAddress +
      ":3268 >/dev/null 2>&1 &\n"
      "relay=$!\n"
      "tries=100\n"
      "until grep -q '3300007F:0CC4 ' /proc/net/tcp; do\n"
      "  tries=$((tries - 1)); [ $tries -gt 0 ] || { kill $relay; exit 90; }; sleep 0.05\n"
      "done\n"
      "KRB5_CONFIG=\"$3/krb5.conf\" unshare --mount --propagation private sh -c "
      "'mount --bind \"$1/hosts\" /etc/hosts && shift && exec \"$@\"' sh \"$3\" \"$4\" -q -u "
      "\"$5\"\n"
      "status=$?\n"
      "kill $relay\n"
      "exit $status\n";
  const CommandResult run =
      RunCommand({"sh", "-c", script, "sh", relay.string(), kFreezePoint, scratch.path().string(),
                  env.nestwalk, env.flat + "\\alice"},
                 CommandOptions{{}, "", kRunLimit});

  ASSERT_FALSE(run.timedOut) << run.err;
  // One bind time limit plus one search time limit: the freeze costs one wait for each
  // connection at most, and every later read of a dead connection fails at once.
  EXPECT_LT(run.elapsed, 2 * platform::LinuxDirectory::kResponseTimeout) << run.err;
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out.rfind("Security Principal: [USER] " + env.flat + "\\alice\n", 0), 0u)
      << run.out;
  EXPECT_NE(run.err.find("LDAP_SEARCH_S: 0xfffffffb\nLDAP_SEARCH_S: Timed out\n"),
            std::string::npos)
      << run.err;
  EXPECT_TRUE(LastLine(run.err).starts_with("WARNING: ")) << run.err;
}

}  // namespace
}  // namespace nestwalk::e2e
