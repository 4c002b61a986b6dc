#include "membership/primary_group.h"

#include <optional>
#include <vector>

#include "membership/counted_search.h"
#include "platform/filter_escape.h"
#include "platform/sid.h"

namespace nestwalk {

namespace {

// The domain's SID in text form, or nullopt after an error line.
std::optional<std::string> ReadDomainSid(Console& console, platform::Directory& directory,
                                         platform::LdapHandle connection, const std::string& base) {
  std::optional<std::vector<platform::Entry>> entries =
      CountedSearch(console, directory, connection, DomainSidRequest(base));
  if (!entries) return std::nullopt;
  if (entries->empty()) {
    console.Err("ERROR: Couldn't find domain object " + base + "\n");
    return std::nullopt;
  }
  std::optional<std::string> binary = entries->front().First("objectSid");
  if (!binary) {
    console.Err("ERROR: Domain object " + base + " has no objectSid\n");
    return std::nullopt;
  }
  std::optional<std::string> text = platform::SidToText(*binary);
  if (!text) console.Err("ERROR: Domain object " + base + " has an invalid objectSid\n");
  return text;
}

}  // namespace

platform::SearchRequest DomainSidRequest(const std::string& base) {
  return {
      .base = base,
      .scope = platform::SearchScope::kBase,
      .filter = "(objectCategory=*)",
      .attributes = {"objectSid"},
      .attributesOnly = false,
  };
}

std::string PrimaryGroupFilter(const std::string& sid) {
  return "(&(objectCategory=group)(objectSid=" + platform::EscapeFilterBytes(sid) + "))";
}

std::string GetPrimaryGroupDN(Console& console, platform::Directory& directory,
                              platform::LdapHandle connection, const std::string& base,
                              const std::string& primaryGroupID) {
  console.DebugErr("GetPrimaryGroupDN...\n");
  std::optional<std::string> domainSid = ReadDomainSid(console, directory, connection, base);
  if (!domainSid) return {};

  const std::string groupSidText = *domainSid + "-" + primaryGroupID;
  console.DebugErr("Domain SID: " + *domainSid + "\n");
  console.DebugErr("Primary Group SID: " + groupSidText + "\n");
  std::optional<std::string> groupSid = platform::SidFromText(groupSidText);
  if (!groupSid) {
    console.Err("ConvertStringSidToSid: Couldn't convert sid " + groupSidText + ", error " +
                std::to_string(platform::kErrorInvalidSid) + "\n");
    return {};
  }
  console.DebugErr("Primary Group Sid converted to SID structure\n");

  const platform::SearchRequest request{
      .base = base,
      .scope = platform::SearchScope::kSubtree,
      .filter = PrimaryGroupFilter(*groupSid),
      .attributes = {"objectSid"},
      .attributesOnly = true,
  };
  console.DebugErr("Filter: " + request.filter + "\n");
  std::optional<std::vector<platform::Entry>> entries =
      CountedSearch(console, directory, connection, request);
  if (!entries) return {};
  if (entries->empty()) {
    console.Err("ERROR: Couldn't find primary group with SID " + groupSidText + "\n");
    return {};
  }
  const std::string& dn = entries->front().dn;
  console.DebugErr("Primary group: " + dn + "\n");
  return dn;
}

}  // namespace nestwalk
