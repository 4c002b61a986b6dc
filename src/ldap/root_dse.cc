#include "ldap/root_dse.h"

#include <array>
#include <optional>
#include <string_view>
#include <utility>

#include "ldap/ldap_error.h"
#include "text/leading_decimal.h"

namespace nestwalk {

namespace {

constexpr const char* kCapabilityIntegration = "1.2.840.113556.1.4.1791";
constexpr const char* kCapabilityActiveDirectory = "1.2.840.113556.1.4.800";
constexpr const char* kCapabilityV51 = "1.2.840.113556.1.4.1670";
constexpr const char* kCapabilityAdam = "1.2.840.113556.1.4.1851";

void CopyFirstNumber(const platform::Entry& entry, const char* attribute, int& member) {
  if (std::optional<std::string> value = entry.First(attribute)) member = LeadingDecimal(*value);
}

// Later rules win: a server announcing several capabilities gets the newest name.
std::string VersionName(const CRootDSE& dse) {
  std::string name;
  if (dse.hasCapabilityIntegration) name = "Unknown Windows LDAP";
  if (dse.hasCapabilityActiveDirectory) name = "Windows 2000";
  if (dse.hasCapabilityAdam) name = "Active Directory Application Mode";
  if (dse.hasCapabilityV51) name = "Windows Server 2003";
  return name;
}

// Indexed by functional level; levels beyond the table have no name.
constexpr std::array<std::string_view, 3> kDomainModeNames = {
    "Windows 2000 Mixed Mode", "Windows Server 2003 Interim Domain Mode",
    "Windows Server 2003 Domain Mode"};
constexpr std::array<std::string_view, 3> kForestModeNames = {
    "Windows 2000 Mixed Forest Mode", "Windows Server 2003 Interim Forest Mode",
    "Windows Server 2003 Forest Mode"};

std::string ModeName(const std::array<std::string_view, 3>& names, int level) {
  if (level < 0 || level >= static_cast<int>(names.size())) return std::string();
  return std::string(names[static_cast<std::size_t>(level)]);
}

}  // namespace

platform::SearchRequest RootDseRequest() {
  platform::SearchRequest request;
  request.scope = platform::SearchScope::kBase;
  request.filter = "(objectClass=*)";
  return request;
}

CRootDSE::CRootDSE(Console& console, platform::Directory& directory,
                   platform::LdapHandle connection) {
  platform::SearchResult result = directory.Search(connection, RootDseRequest());
  if (result.code != platform::kLdapSuccess) {
    ReportSearchFailure(console, directory, result);
    directory.Unbind(connection);
    return;
  }

  // A result without an entry reads like an entry without attributes.
  const platform::Entry none;
  const platform::Entry& entry = result.entries.empty() ? none : result.entries.front();
  // The single-valued text members, each from the attribute of its name.
  const std::pair<const char*, std::string CRootDSE::*> texts[] = {
      {"schemaNamingContext", &CRootDSE::schemaNamingContext},
      {"defaultNamingContext", &CRootDSE::defaultNamingContext},
      {"configurationNamingContext", &CRootDSE::configurationNamingContext},
      {"currentTime", &CRootDSE::currentTime},
      {"rootDomainNamingContext", &CRootDSE::rootDomainNamingContext},
      {"dnsHostName", &CRootDSE::dnsHostName},
      {"dsServiceName", &CRootDSE::dsServiceName},
      {"highestCommittedUSN", &CRootDSE::highestCommittedUsn},
      {"ldapServiceName", &CRootDSE::ldapServiceName},
      {"serverName", &CRootDSE::serverName},
  };
  for (const auto& [attribute, member] : texts) {
    if (std::optional<std::string> value = entry.First(attribute)) this->*member = *value;
  }
  CopyFirstNumber(entry, "domainFunctionality", domainFunctionality);
  CopyFirstNumber(entry, "forestFunctionality", forestFunctionality);
  if (const std::vector<std::string>* contexts = entry.Find("namingContexts")) {
    namingContexts = *contexts;
  }
  namingContextCount = static_cast<int>(namingContexts.size());
  if (const std::vector<std::string>* capabilities = entry.Find("supportedCapabilities")) {
    for (const std::string& oid : *capabilities) supportedCapabilities[oid] = true;
  }

  hasCapabilityIntegration = supportedCapabilities.contains(kCapabilityIntegration);
  hasCapabilityActiveDirectory = supportedCapabilities.contains(kCapabilityActiveDirectory);
  hasCapabilityV51 = supportedCapabilities.contains(kCapabilityV51);
  hasCapabilityAdam = supportedCapabilities.contains(kCapabilityAdam);
  versionName = VersionName(*this);
  if (hasCapabilityV51) {
    domainModeName = ModeName(kDomainModeNames, domainFunctionality);
    forestModeName = ModeName(kForestModeNames, forestFunctionality);
  }
  valid = true;
}

}  // namespace nestwalk
