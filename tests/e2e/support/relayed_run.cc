#include "support/relayed_run.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string_view>

namespace nestwalk::e2e {
namespace {

// Past the run's own limit the shell that runs it is killed too.
constexpr std::chrono::seconds kShellGrace{30};

// A directory of its own for the run's files, removed with everything in it.
class ScratchDirectory {
 public:
  ScratchDirectory() {
    std::string pattern = (std::filesystem::temp_directory_path() / "nestwalk-relayed-XXXXXX");
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

// How /proc/net/tcp writes a listening address and port: "4700007F:0185 ".
std::string ProcNetTcpKey(const std::string& address, int port) {
  in_addr parsed{};
  if (inet_pton(AF_INET, address.c_str(), &parsed) != 1) return std::string();
  char key[32];
  std::snprintf(key, sizeof key, "%08X:%04X ", parsed.s_addr, static_cast<unsigned>(port));
  return key;
}

void WriteFile(const std::filesystem::path& path, const std::string& text) {
  std::ofstream(path) << text;
}

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream file(path);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// The caller's ticket cache file (KRB5CCNAME without its FILE: prefix); empty when it is none.
std::string CallerTicketCache() {
  const char* name = std::getenv("KRB5CCNAME");
  if (name == nullptr) return std::string();
  std::string_view cache(name);
  if (cache.starts_with("FILE:")) cache.remove_prefix(5);
  return cache.find(':') == std::string_view::npos ? std::string(cache) : std::string();
}

// Starts the relay (its fault option, if any, in $3), waits until it listens, runs the rest of
// the words with /etc/hosts replaced for them alone and killed at the limit ($9), stops the
// relay.
constexpr char kScript[] =
    "relay=$1 scratch=$2 fault=$3 lifetime=$4 ldap=$5 gc=$6 ldapKey=$7 gcKey=$8 limit=$9\n"
    "shift 9\n"
    "\"$relay\" $fault 0 \"$lifetime\" \"$ldap\" \"$gc\" </dev/null >/dev/null "
    "2>\"$scratch/relay.log\" &\n"
    "relayPid=$!\n"
    "tries=100\n"
    "until grep -q \"$ldapKey\" /proc/net/tcp && grep -q \"$gcKey\" /proc/net/tcp; do\n"
    "  tries=$((tries - 1)); [ $tries -gt 0 ] || { kill $relayPid; exit 90; }; sleep 0.05\n"
    "done\n"
    "timeout -s KILL \"$limit\" unshare --mount --propagation private sh -c "
    "'mount --bind \"$1/hosts\" /etc/hosts && shift && exec \"$@\"' sh \"$scratch\" \"$@\"\n"
    "status=$?\n"
    "kill $relayPid\n"
    "exit $status\n";

// What `timeout -s KILL` exits with when it killed the run.
constexpr int kKilledStatus = 128 + 9;

}  // namespace

RelayedRun RunThroughRelay(const E2eEnvironment& env, const std::string& relayAddress,
                           const std::optional<RelayFault>& fault,
                           const std::vector<std::string>& args, const std::string& input,
                           std::chrono::seconds limit) {
  RelayedRun result;
  const std::filesystem::path relay =
      std::filesystem::path(env.nestwalk).parent_path() / "bench" / "nestwalk_latency_relay";
  const std::string dcAddress = AddressOf(env.dc);
  ScratchDirectory scratch;
  if (!std::filesystem::exists(relay) || dcAddress.empty() || scratch.path().empty()) {
    result.run.err = "relayed run: no relay at " + relay.string() + ", no address for " + env.dc +
                     " or no scratch directory\n";
    return result;
  }

  const std::string shortName = env.dc.substr(0, env.dc.find('.'));
  WriteFile(scratch.path() / "hosts",
            "127.0.0.1 localhost\n" + relayAddress + " " + env.dc + " " + shortName + "\n");
  WriteFile(scratch.path() / "krb5.conf",
            "[libdefaults]\n default_realm = " + env.realm +
                "\n dns_lookup_realm = false\n dns_lookup_kdc = false\n rdns = false\n"
                "[realms]\n " +
                env.realm + " = {\n  kdc = " + dcAddress + "\n }\n[domain_realm]\n ." + env.domain +
                " = " + env.realm + "\n " + env.domain + " = " + env.realm + "\n");
  std::vector<std::string> extraEnv = {"KRB5_CONFIG=" + (scratch.path() / "krb5.conf").string()};
  if (const std::string cache = CallerTicketCache(); !cache.empty()) {
    std::error_code failed;
    std::filesystem::copy_file(cache, scratch.path() / "ccache", failed);
    if (!failed) extraEnv.push_back("KRB5CCNAME=FILE:" + (scratch.path() / "ccache").string());
  }

  const std::string faultOption = fault ? "--" + fault->kind + "=" + std::to_string(fault->count) +
                                              "@" + relayAddress + ":" + std::to_string(fault->port)
                                        : std::string();
  std::vector<std::string> argv = {"sh",
                                   "-c",
                                   kScript,
                                   "sh",
                                   relay.string(),
                                   scratch.path().string(),
                                   faultOption,
                                   std::to_string((limit + kShellGrace).count()),
                                   relayAddress + ":389=" + dcAddress + ":389",
                                   relayAddress + ":3268=" + dcAddress + ":3268",
                                   ProcNetTcpKey(relayAddress, 389),
                                   ProcNetTcpKey(relayAddress, 3268),
                                   std::to_string(limit.count()),
                                   env.nestwalk};
  argv.insert(argv.end(), args.begin(), args.end());
  result.run = RunCommand(argv, CommandOptions{extraEnv, input, limit + kShellGrace});
  result.run.timedOut =
      result.run.timedOut || (result.run.status == kKilledStatus && result.run.elapsed >= limit);
  result.relayLog = ReadFile(scratch.path() / "relay.log");
  return result;
}

}  // namespace nestwalk::e2e
