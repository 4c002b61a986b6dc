#include "platform/linux/linux_host_queries.h"

#include <limits.h>
#include <unistd.h>

#include "platform/linux/principal_name.h"
#include "platform/linux/smb_conf.h"
#include "text/case_folding.h"

namespace nestwalk::platform {
namespace {

constexpr std::size_t kMaxNetbiosNameLength = 15;

// The flat name of the domain `dnsDomain` as its DC answers; sets status 6 with its hint on
// `answer` when none tells one.
template <typename Answer>
std::string FlatNameOf(const std::string& dnsDomain, const DomainPing& ping, Answer& answer) {
  std::optional<NetlogonResponse> response = ping(dnsDomain);
  if (response && !response->netbiosDomainName.empty()) return response->netbiosDomainName;
  answer.status = kStatusNoDomainController;
  answer.hint = "no domain controller of " + dnsDomain + " answered: check DNS and the network";
  return std::string();
}

}  // namespace

std::string NetbiosComputerName(const std::optional<std::string>& netbiosName,
                                std::string_view hostName) {
  std::string_view name = netbiosName && !netbiosName->empty()
                              ? std::string_view(*netbiosName)
                              : hostName.substr(0, hostName.find('.'));
  return UpperCaseText(name.substr(0, kMaxNetbiosNameLength));
}

ComputerNameAnswer LinuxHostQueries::GetComputerName() {
  ComputerNameAnswer answer;
  std::optional<std::string> netbiosName;
  if (std::optional<SmbConfSettings> smb = ReadSmbConf(kSmbConfPath))
    netbiosName = smb->netbiosName;
  char host[HOST_NAME_MAX + 1] = {};
  const bool needHostName = !netbiosName || netbiosName->empty();
  if (needHostName && gethostname(host, sizeof host - 1) != 0) {
    answer.status = kStatusNoHostName;
    return answer;
  }
  answer.computerName = NetbiosComputerName(netbiosName, host);
  if (answer.computerName.empty()) answer.status = kStatusNoHostName;
  return answer;
}

JoinAnswer JoinAnswerOf(JoinRecord record, const DomainPing& ping) {
  JoinAnswer answer;
  if (!record.joined) return answer;
  if (record.flatName.empty()) {
    record.flatName = FlatNameOf(record.dnsName.value_or(std::string()), ping, answer);
    if (answer.status != 0) return answer;
  }
  answer.joinedToDomain = true;
  answer.domainName = std::move(record.flatName);
  return answer;
}

LoggedOnUserAnswer LoggedOnUserOf(const CachePrincipal& cache, const DomainPing& ping) {
  LoggedOnUserAnswer answer;
  switch (cache.error) {
    case CachePrincipalError::kLibraryUnavailable:
      answer.status = kStatusKerberosUnavailable;
      return answer;
    case CachePrincipalError::kNoCache:
      answer.status = kStatusNoTicketCache;
      answer.hint = kKinitHint;
      return answer;
    case CachePrincipalError::kNoPrincipal:
      answer.status = kStatusNoPrincipal;
      answer.hint = kKinitHint;
      return answer;
    case CachePrincipalError::kNone:
      break;
  }
  std::optional<PrincipalParts> parts = SplitPrincipalName(cache.principal);
  if (!parts) {
    answer.status = kStatusNoPrincipal;
    answer.hint = kKinitHint;
    return answer;
  }
  std::string logonDomain = FlatNameOf(parts->realm, ping, answer);
  if (answer.status != 0) return answer;
  answer.userName = std::move(parts->name);
  answer.logonDomain = std::move(logonDomain);
  return answer;
}

JoinAnswer LinuxHostQueries::GetJoinInformation() { return JoinAnswerOf(ReadJoinRecord(), Ping()); }

LoggedOnUserAnswer LinuxHostQueries::GetLoggedOnUser() {
  return LoggedOnUserOf(DefaultCachePrincipal(), Ping());
}

DomainPing LinuxHostQueries::Ping() {
  return [this](const std::string& dnsDomain) {
    return PingDomainController(network_, site_, dnsDomain);
  };
}

}  // namespace nestwalk::platform
