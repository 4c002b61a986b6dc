#include "platform/linux/linux_host_queries.h"

#include <limits.h>
#include <unistd.h>

#include "platform/linux/host_domain.h"
#include "platform/linux/kerberos.h"
#include "platform/linux/principal_name.h"
#include "platform/linux/smb_conf.h"
#include "text/case_folding.h"

namespace nestwalk::platform {
namespace {

constexpr std::size_t kMaxNetbiosNameLength = 15;

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

JoinAnswer LinuxHostQueries::GetJoinInformation() {
  JoinAnswer answer;
  JoinRecord record = ReadJoinRecord();
  answer.joinedToDomain = record.joined;
  if (record.joined) answer.domainName = std::move(record.flatName);
  return answer;
}

LoggedOnUserAnswer LinuxHostQueries::GetLoggedOnUser() {
  LoggedOnUserAnswer answer;
  CachePrincipal cache = DefaultCachePrincipal();
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
  answer.userName = std::move(parts->name);
  answer.logonDomain = std::move(parts->realm);
  return answer;
}

}  // namespace nestwalk::platform
