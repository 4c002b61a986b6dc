// The locator half of the platform seam: finding domain controllers and global catalogs, the
// site of a machine, and the domains of a forest.
#ifndef NESTWALK_PLATFORM_LOCATOR_H_
#define NESTWALK_PLATFORM_LOCATOR_H_

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace nestwalk::platform {

// Query flags (the public values of the Windows locator).
inline constexpr unsigned kDsDirectoryServiceRequired = 0x10;
inline constexpr unsigned kDsGcServerRequired = 0x40;
inline constexpr unsigned kDsReturnDnsName = 0x40000000;
// Answer flag: the located server is a global catalog.
inline constexpr unsigned kDsGcFlag = 0x4;

// Locator statuses the program tells apart.
inline constexpr int kErrorNoSuchDomain = 1355;
inline constexpr int kRpcServerUnavailable = 1722;

struct DcInfo {
  std::string name;      // the server's DNS host name behind two backslashes: "\\\\dc1.corp.com"
  std::string siteName;  // the server's site; empty when none is known
  unsigned flags = 0;    // DS_* flags; kDsGcFlag among them
};

// status 0: `info` holds the answer; otherwise `info` is empty, and `reason` may tell in one
// line what failed on the way (a DNS query nobody answered, a ping that failed) where the status
// alone would say that there is no such domain.
struct LocatorAnswer {
  // A constructor rather than an aggregate, so that answers written {status, info} need no
  // reason.
  LocatorAnswer(int status = 0, DcInfo info = {}, std::string reason = {})
      : status(status), info(std::move(info)), reason(std::move(reason)) {}

  int status;
  DcInfo info;
  std::string reason;
};

struct SiteAnswer {
  int status = 0;
  std::string siteName;
};

struct ForestDomainsAnswer {
  int status = 0;
  std::vector<std::string> dnsNames;  // DNS names of the forest's domains, as the source gave them
};

// A computer or server name as locator calls take it ("\\\\dc1.corp.com" or "dc1.corp.com")
// without its leading backslashes: the host to contact. Empty when nothing else is left.
inline std::string HostOfServerName(std::string_view name) {
  const std::size_t start = name.find_first_not_of('\\');
  return start == std::string_view::npos ? std::string() : std::string(name.substr(start));
}

// Every call may come from several threads at once.
class Locator {
 public:
  virtual ~Locator() = default;
  // Locates a server for `domainName` (flat or DNS name; a forest's DNS name for a GC query),
  // asked of `computerName` (empty: this machine). `flags` combines the query flags above.
  virtual LocatorAnswer GetDcName(const std::string& computerName, const std::string& domainName,
                                  unsigned flags) = 0;
  // The site of `computerName` (empty: this machine).
  virtual SiteAnswer GetSiteName(const std::string& computerName) = 0;
  // The DNS names of every domain of the forest, asked of `serverName`.
  virtual ForestDomainsAnswer EnumerateForestDomains(const std::string& serverName) = 0;
};

}  // namespace nestwalk::platform

#endif  // NESTWALK_PLATFORM_LOCATOR_H_
