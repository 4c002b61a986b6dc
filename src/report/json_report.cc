#include "report/json_report.h"

#include <nlohmann/json.hpp>

#include "membership/group_type.h"
#include "report/read_shortfalls.h"
#include "platform/sid.h"
#include "text/utf8_escape.h"

namespace nestwalk {

namespace {

using Json = nlohmann::ordered_json;

Json Text(std::string_view text) { return EscapeInvalidUtf8(text); }

// A SID's text form, or null when none was read or it does not convert.
Json SidText(const std::string& binary) {
  if (binary.empty()) return nullptr;
  std::optional<std::string> text = platform::SidToText(binary);
  return text ? Json(*text) : Json(nullptr);
}

Json GroupObject(const MembershipGraph& graph, const MembershipChains& chains,
                 MembershipGraph::Node node) {
  const data& group = graph.group(node);
  const bool read = !group.sAMAccountName.empty();
  const MembershipChain chain = chains.ChainTo(node);
  Json path = Json::array();
  for (MembershipGraph::Node hop : chain.groups) path.push_back(Text(graph.group(hop).dn));
  Json object{
      {"dn", Text(group.dn)},
      {"sAMAccountName",
       read && group.sAMAccountName != kUnknownAccountName ? Text(group.sAMAccountName)
                                                           : Json(nullptr)},
      {"scope", ScopeWord(ScopeOfGroupType(group.groupType))},
      {"kind", KindWord(group.groupType)},
      {"sid", SidText(group.objectSid)},
      {"read", read},
      {"path", std::move(path)},
      {"depth", chain.groups.empty() ? Json(nullptr) : Json(chain.groups.size())},
      {"viaPrimaryGroup", chain.viaPrimaryGroup},
  };
  if (!group.forest.empty()) object["forest"] = Text(group.forest);
  return object;
}

Json TokenObject(const TokenEstimate& token) {
  return Json{
      {"d", token.d},
      {"s", token.s},
      {"bytes", token.bytes()},
      {"over12000", token.bytes() > kOldMaxTokenSize},
      {"over48000", token.bytes() > kMaxTokenSize},
      {"sids", token.sids()},
      {"sidLimit", kTokenSidLimit},
      {"overSidLimit", token.sids() > kTokenSidLimit},
  };
}

}  // namespace

std::string JsonReport(const ReportedAccount& account, const GroupDetailsMap& groups,
                       const MembershipGraph& graph, const MembershipChains& chains,
                       const std::optional<TokenEstimate>& token, bool oneLine) {
  Json groupArray = Json::array();
  for (MembershipGraph::Node node = 0; node < graph.groupCount(); ++node) {
    groupArray.push_back(GroupObject(graph, chains, node));
  }
  Json unread = Json::array();
  for (const ReadProblem& shortfall : ReadShortfalls(groups)) {
    unread.push_back({{"subject", Text(shortfall.subject)}, {"reason", Text(shortfall.reason)}});
  }
  const bool complete = unread.empty();
  const Json document{
      {"principal",
       {{"kind", account.kind},
        {"name", Text(account.name)},
        {"dn", Text(account.dn)},
        {"sid", SidText(account.objectSid)}}},
      {"groups", std::move(groupArray)},
      {"token", token ? TokenObject(*token) : Json(nullptr)},
      {"complete", complete},
      {"unread", std::move(unread)},
  };
  return document.dump(oneLine ? -1 : 2) + "\n";
}

}  // namespace nestwalk
