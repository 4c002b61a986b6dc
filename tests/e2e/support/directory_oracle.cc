#include "support/directory_oracle.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>

#include "support/command_runner.h"

namespace nestwalk::e2e {
namespace {

const std::vector<std::string> kGroupAttributes = {"sAMAccountName", "groupType", "objectSid"};

std::string EscapeFilterValue(std::string_view value) {
  static const char kHex[] = "0123456789abcdef";
  std::string escaped;
  for (unsigned char c : value) {
    if (c == '*' || c == '(' || c == ')' || c == '\\' || c == '\0') {
      escaped += '\\';
      escaped += kHex[c >> 4];
      escaped += kHex[c & 0xF];
    } else {
      escaped += static_cast<char>(c);
    }
  }
  return escaped;
}

std::string EscapeBinary(std::string_view bytes) {
  static const char kHex[] = "0123456789abcdef";
  std::string escaped;
  for (unsigned char c : bytes) {
    escaped += '\\';
    escaped += kHex[c >> 4];
    escaped += kHex[c & 0xF];
  }
  return escaped;
}

GroupFacts FactsOf(const LdifEntry& entry) {
  return GroupFacts{entry.dn, entry.First("sAMAccountName"), entry.First("groupType"),
                    SidText(entry.First("objectSid"))};
}

}  // namespace

bool GroupFacts::IsSecurity() const {
  return (static_cast<uint32_t>(std::strtol(groupType.c_str(), nullptr, 10)) & 0x80000000u) != 0;
}

std::string GroupFacts::Label() const {
  const long value = std::strtol(groupType.c_str(), nullptr, 10);
  std::string scope = "Unknown";
  switch (value & 0xE) {
    case 0x2:
      scope = "Global";
      break;
    case 0x4:
      scope = "Local";
      break;
    case 0x8:
      scope = "Universal";
      break;
    default:
      break;
  }
  return scope + (IsSecurity() ? " Security" : " Distribution");
}

std::string LowerAscii(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
}

std::string SidText(std::string_view binary) {
  const auto byte = [&](size_t i) { return static_cast<uint8_t>(binary[i]); };
  if (binary.size() < 8) return {};
  const size_t count = byte(1);
  if (binary.size() != 8 + 4 * count) return {};
  uint64_t authority = 0;
  for (size_t i = 2; i < 8; ++i) authority = (authority << 8) | byte(i);
  std::string text = "S-" + std::to_string(byte(0)) + "-" + std::to_string(authority);
  for (size_t n = 0; n < count; ++n) {
    const size_t at = 8 + 4 * n;
    const uint32_t sub = byte(at) | (byte(at + 1) << 8) | (byte(at + 2) << 16) |
                         (static_cast<uint32_t>(byte(at + 3)) << 24);
    text += "-" + std::to_string(sub);
  }
  return text;
}

std::vector<LdifEntry> DirectoryOracle::Search(const std::string& base, const std::string& scope,
                                               const std::string& filter,
                                               const std::vector<std::string>& attributes) const {
  std::vector<std::string> argv = {"ldapsearch",
                                   "-Q",
                                   "-LLL",
                                   "-o",
                                   "ldif-wrap=no",
                                   "-o",
                                   "nettimeout=10",
                                   "-Y",
                                   "GSSAPI",
                                   "-H",
                                   "ldap://" + env_.dc,
                                   "-b",
                                   base,
                                   "-s",
                                   scope,
                                   filter};
  argv.insert(argv.end(), attributes.begin(), attributes.end());
  CommandOptions options;
  if (!ccache_.empty()) options.extraEnv.push_back("KRB5CCNAME=" + ccache_);
  const CommandResult result = RunCommand(argv, options);
  if (result.status != 0) {
    ADD_FAILURE() << "oracle search failed (status " << result.status << ") base " << base
                  << " filter " << filter << ": " << result.err;
    return {};
  }
  return ParseLdif(result.out);
}

std::optional<std::string> DirectoryOracle::AccountDn(const std::string& samAccountName) const {
  const std::vector<LdifEntry> found = Search(
      env_.baseDn, "sub", "(sAMAccountName=" + EscapeFilterValue(samAccountName) + ")", {"1.1"});
  if (found.size() != 1) return std::nullopt;
  return found.front().dn;
}

GroupSet DirectoryOracle::GroupsHolding(const std::string& dn) const {
  GroupSet groups;
  for (const LdifEntry& entry :
       Search(env_.baseDn, "sub", "(member:1.2.840.113556.1.4.1941:=" + EscapeFilterValue(dn) + ")",
              kGroupAttributes)) {
    groups.emplace(LowerAscii(entry.dn), FactsOf(entry));
  }
  return groups;
}

std::optional<GroupFacts> DirectoryOracle::PrimaryGroup(const std::string& dn) const {
  const std::vector<LdifEntry> account = Search(dn, "base", "(objectClass=*)", {"primaryGroupID"});
  const std::vector<LdifEntry> domain =
      Search(env_.baseDn, "base", "(objectClass=*)", {"objectSid"});
  if (account.size() != 1 || domain.size() != 1) return std::nullopt;
  const std::string rid_text = account.front().First("primaryGroupID");
  std::string sid = domain.front().First("objectSid");
  if (rid_text.empty() || sid.size() < 8) return std::nullopt;
  const uint32_t rid = static_cast<uint32_t>(std::strtoul(rid_text.c_str(), nullptr, 10));
  sid[1] = static_cast<char>(sid[1] + 1);
  for (int shift = 0; shift < 32; shift += 8) sid += static_cast<char>((rid >> shift) & 0xFF);
  const std::vector<LdifEntry> group =
      Search(env_.baseDn, "sub", "(objectSid=" + EscapeBinary(sid) + ")", kGroupAttributes);
  if (group.size() != 1) return std::nullopt;
  return FactsOf(group.front());
}

GroupSet DirectoryOracle::GroupsOf(const std::string& dn, bool withPrimaryGroup) const {
  GroupSet groups = GroupsHolding(dn);
  if (!withPrimaryGroup) return groups;
  const std::optional<GroupFacts> primary = PrimaryGroup(dn);
  if (!primary) {
    ADD_FAILURE() << "no primary group found for " << dn;
    return groups;
  }
  groups.emplace(LowerAscii(primary->dn), *primary);
  groups.merge(GroupsHolding(primary->dn));
  return groups;
}

std::string DirectoryOracle::SidOf(const std::string& dn) const {
  const std::vector<LdifEntry> entry = Search(dn, "base", "(objectClass=*)", {"objectSid"});
  return entry.size() == 1 ? SidText(entry.front().First("objectSid")) : std::string();
}

std::set<std::string> DirectoryOracle::TokenGroups(const std::string& dn) const {
  std::set<std::string> sids;
  for (const LdifEntry& entry : Search(dn, "base", "(objectClass=*)", {"tokenGroups"})) {
    for (const std::string& value : entry.All("tokenGroups")) sids.insert(SidText(value));
  }
  return sids;
}

}  // namespace nestwalk::e2e
