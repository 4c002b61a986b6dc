#include "platform/linux/dns_srv.h"

#include <arpa/nameser.h>
#include <netinet/in.h>
#include <resolv.h>

#include <algorithm>
#include <cstring>
#include <memory>

namespace nestwalk::platform {
namespace {

// A private resolver state, so nothing here touches the process-wide one.
class ResolverState {
 public:
  ResolverState() {
    std::memset(&state_, 0, sizeof state_);
    ready_ = res_ninit(&state_) == 0;
  }
  ~ResolverState() {
    if (ready_) res_nclose(&state_);
  }
  ResolverState(const ResolverState&) = delete;
  ResolverState& operator=(const ResolverState&) = delete;

  bool ready() const { return ready_; }
  res_state get() { return &state_; }

 private:
  struct __res_state state_;
  bool ready_ = false;
};

constexpr std::size_t kSrvFixedSize = 6;  // priority, weight, port
constexpr std::size_t kHeaderSize = HFIXEDSZ;
constexpr unsigned char kUntouched = 0xFF;
constexpr std::size_t kRcodeByte = 3;  // with the RA, Z, AD and CD bits

std::uint16_t Read16(const unsigned char* at) {
  return static_cast<std::uint16_t>(at[0] << 8 | at[1]);
}

}  // namespace

SrvAnswer ParseSrvAnswer(std::string_view message) {
  SrvAnswer answer;
  if (message.size() > 0xFFFF) return answer;
  const auto* begin = reinterpret_cast<const unsigned char*>(message.data());
  const unsigned char* end = begin + message.size();
  ns_msg parsed;
  if (ns_initparse(begin, static_cast<int>(message.size()), &parsed) != 0) return answer;
  const int count = ns_msg_count(parsed, ns_s_an);
  for (int i = 0; i < count; ++i) {
    ns_rr rr;
    if (ns_parserr(&parsed, ns_s_an, i, &rr) != 0) return SrvAnswer{};
    if (ns_rr_type(rr) != ns_t_srv || ns_rr_class(rr) != ns_c_in) continue;
    const unsigned char* data = ns_rr_rdata(rr);
    if (ns_rr_rdlen(rr) < kSrvFixedSize) continue;
    char target[NS_MAXDNAME];
    if (dn_expand(begin, end, data + kSrvFixedSize, target, sizeof target) < 0) continue;
    SrvRecord record;
    record.priority = Read16(data);
    record.weight = Read16(data + 2);
    record.port = Read16(data + 4);
    // dn_expand gives the root as "" and other names without their final dot.
    record.target = target[0] == '\0' ? "." : target;
    answer.records.push_back(std::move(record));
  }
  return answer;
}

void CapResolverWaits(res_state state) {
  state->retrans = std::min(state->retrans, kDnsTrySeconds);
  state->retry = std::min(state->retry, kDnsTries);
}

SrvAnswer LookupSrv(const std::string& name) {
  ResolverState resolver;
  if (!resolver.ready()) return {};
  CapResolverWaits(resolver.get());
  return LookupSrvWith(resolver.get(), name);
}

SrvAnswer LookupSrvWith(res_state state, const std::string& name) {
  auto buffer = std::make_unique<unsigned char[]>(NS_MAXMSG);
  // Every reply the resolver receives lands in the buffer, even a refusal it then discards, so a
  // header still holding this mark after a failure means that no server replied at all. The
  // resolver itself resets the rcode of the buffer's header, so only the other bytes keep it.
  std::fill_n(buffer.get(), kHeaderSize, kUntouched);
  const int length = res_nsearch(state, name.c_str(), ns_c_in, ns_t_srv, buffer.get(), NS_MAXMSG);
  if (length <= 0) {
    SrvAnswer none;
    none.silent = true;
    for (std::size_t at = 0; at < kHeaderSize; ++at) {
      if (at != kRcodeByte && buffer[at] != kUntouched) none.silent = false;
    }
    return none;
  }
  // A truncated answer reports its full length; only the buffer is there to parse.
  const std::size_t received = std::min(static_cast<std::size_t>(length), std::size_t{NS_MAXMSG});
  return ParseSrvAnswer(std::string_view(reinterpret_cast<const char*>(buffer.get()), received));
}

std::vector<std::string> ResolverSearchDomains() {
  ResolverState resolver;
  std::vector<std::string> domains;
  if (!resolver.ready()) return domains;
  for (const char* domain : resolver.get()->dnsrch) {
    if (domain == nullptr) break;
    if (*domain != '\0') domains.emplace_back(domain);
  }
  return domains;
}

}  // namespace nestwalk::platform
