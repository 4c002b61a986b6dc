// What the test domain says an account's groups are, found without the program: through
// ldapsearch on the DC, with the in-chain matching rule (1.2.840.113556.1.4.1941), the primary
// group from primaryGroupID and the domain SID, and the server-computed tokenGroups.
// A failed search is a test failure (ADD_FAILURE) and yields an empty answer.
#ifndef NESTWALK_TESTS_E2E_SUPPORT_DIRECTORY_ORACLE_H_
#define NESTWALK_TESTS_E2E_SUPPORT_DIRECTORY_ORACLE_H_

#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "support/e2e_environment.h"
#include "support/ldif_reader.h"

namespace nestwalk::e2e {

struct GroupFacts {
  std::string dn;
  std::string samAccountName;
  std::string groupType;  // decimal text as stored
  std::string sid;        // S-1-...

  bool IsSecurity() const;
  // "Global Security", "Local Distribution", ...: scope from bits 0x2/0x4/0x8, kind from bit 31.
  std::string Label() const;
};

// Keys are the DNs lower-cased (ASCII), as the report sorts them.
using GroupSet = std::map<std::string, GroupFacts>;

std::string LowerAscii(std::string_view text);
// S-1-... of a binary SID; empty when the bytes are no SID.
std::string SidText(std::string_view binary);

class DirectoryOracle {
 public:
  // Searches env.dc under env.baseDn, binding with the ticket in `ccache` ("FILE:...") or, when
  // it is empty, in the process's own cache.
  explicit DirectoryOracle(const E2eEnvironment& env, std::string ccache = {})
      : env_(env), ccache_(std::move(ccache)) {}

  const std::string& BaseDn() const { return env_.baseDn; }

  // scope: "base", "one" or "sub".
  std::vector<LdifEntry> Search(const std::string& base, const std::string& scope,
                                const std::string& filter,
                                const std::vector<std::string>& attributes) const;
  std::optional<std::string> AccountDn(const std::string& samAccountName) const;
  // Every group that holds `dn` through any nesting, plus, when asked, its primary group and
  // every group that holds that.
  GroupSet GroupsOf(const std::string& dn, bool withPrimaryGroup) const;
  // Every group that holds `dn` through any nesting (the in-chain rule), without the primary
  // group.
  GroupSet GroupsHolding(const std::string& dn) const;
  // The SIDs of the entry's tokenGroups; with "" for `dn`, those of the RootDSE, which are the
  // token the DC built for the bind.
  std::set<std::string> TokenGroups(const std::string& dn) const;
  // S-1-... of the entry's objectSid (the domain's SID for BaseDn()); empty when it has none.
  std::string SidOf(const std::string& dn) const;

 private:
  std::optional<GroupFacts> PrimaryGroup(const std::string& dn) const;

  E2eEnvironment env_;
  std::string ccache_;
};

}  // namespace nestwalk::e2e

#endif  // NESTWALK_TESTS_E2E_SUPPORT_DIRECTORY_ORACLE_H_
