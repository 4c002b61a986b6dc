#include "report/json_report.h"

#include "membership/group_type.h"
#include "platform/sid.h"
#include "report/read_shortfalls.h"
#include "text/utf8_escape.h"

namespace nestwalk {

namespace {

// A SID's text form, or null when none was read or it does not convert.
void WriteSid(JsonWriter& json, const std::string& binary) {
  std::optional<std::string> text;
  if (!binary.empty()) text = platform::SidToText(binary);
  if (text) {
    json.String(*text);
  } else {
    json.Null();
  }
}

void WriteToken(JsonWriter& json, const TokenEstimate& token) {
  json.BeginObject();
  json.Key("d");
  json.Integer(token.d);
  json.Key("s");
  json.Integer(token.s);
  json.Key("bytes");
  json.Integer(token.bytes());
  json.Key("over12000");
  json.Bool(token.bytes() > kOldMaxTokenSize);
  json.Key("over48000");
  json.Bool(token.bytes() > kMaxTokenSize);
  json.Key("sids");
  json.Integer(token.sids());
  json.Key("sidLimit");
  json.Integer(kTokenSidLimit);
  json.Key("overSidLimit");
  json.Bool(token.sids() > kTokenSidLimit);
  json.EndObject();
}

}  // namespace

void WriteJsonText(JsonWriter& json, std::string_view text) {
  if (IsWellFormedUtf8(text)) {
    json.String(text);
  } else {
    json.String(EscapeInvalidUtf8(text));
  }
}

JsonGroups::JsonGroups(const MembershipGraph& graph, const MembershipChains& chains)
    : graph_(graph), chains_(chains) {
  ends_.reserve(graph.groupCount());
  for (MembershipGraph::Node node = 0; node < graph.groupCount(); ++node) {
    const std::string& dn = graph.group(node).dn;
    AppendQuotedJson(quotedDns_, IsWellFormedUtf8(dn) ? dn : EscapeInvalidUtf8(dn));
    ends_.push_back(quotedDns_.size());
  }
}

std::string_view JsonGroups::QuotedDn(MembershipGraph::Node node) const {
  const std::size_t begin = node == 0 ? 0 : ends_[node - 1];
  return std::string_view(quotedDns_).substr(begin, ends_[node] - begin);
}

void JsonGroups::Write(JsonWriter& json, MembershipGraph::Node node) {
  const data& group = graph_.group(node);
  const bool read = !group.sAMAccountName.empty();
  chains_.ChainTo(node, chain_);
  json.BeginObject();
  json.Key("dn");
  json.Written(QuotedDn(node));
  json.Key("sAMAccountName");
  if (read && group.sAMAccountName != kUnknownAccountName) {
    WriteJsonText(json, group.sAMAccountName);
  } else {
    json.Null();
  }
  json.Key("scope");
  json.String(ScopeWord(ScopeOfGroupType(group.groupType)));
  json.Key("kind");
  json.String(KindWord(group.groupType));
  json.Key("sid");
  WriteSid(json, group.objectSid);
  json.Key("read");
  json.Bool(read);
  json.Key("path");
  json.BeginArray();
  for (MembershipGraph::Node hop : chain_.groups) json.Written(QuotedDn(hop));
  json.EndArray();
  json.Key("depth");
  if (chain_.groups.empty()) {
    json.Null();
  } else {
    json.Integer(static_cast<long long>(chain_.groups.size()));
  }
  json.Key("viaPrimaryGroup");
  json.Bool(chain_.viaPrimaryGroup);
  if (!group.forest.empty()) {
    json.Key("forest");
    WriteJsonText(json, group.forest);
  }
  json.EndObject();
}

void AppendJsonReport(std::string& out, const ReportedAccount& account,
                      const GroupDetailsMap& groups, const MembershipGraph& graph,
                      const MembershipChains& chains, const std::optional<TokenEstimate>& token,
                      bool oneLine) {
  JsonWriter json(out, oneLine);
  json.BeginObject();
  json.Key("principal");
  json.BeginObject();
  json.Key("kind");
  json.String(account.kind);
  json.Key("name");
  WriteJsonText(json, account.name);
  json.Key("dn");
  WriteJsonText(json, account.dn);
  json.Key("sid");
  WriteSid(json, account.objectSid);
  json.EndObject();
  json.Key("groups");
  json.BeginArray();
  JsonGroups groupObjects(graph, chains);
  for (MembershipGraph::Node node = 0; node < graph.groupCount(); ++node) {
    groupObjects.Write(json, node);
  }
  json.EndArray();
  json.Key("token");
  if (token) {
    WriteToken(json, *token);
  } else {
    json.Null();
  }
  const std::vector<ReadProblem> unread = ReadShortfalls(groups);
  json.Key("complete");
  json.Bool(unread.empty());
  json.Key("unread");
  json.BeginArray();
  for (const ReadProblem& shortfall : unread) {
    json.BeginObject();
    json.Key("subject");
    WriteJsonText(json, shortfall.subject);
    json.Key("reason");
    WriteJsonText(json, shortfall.reason);
    json.EndObject();
  }
  json.EndArray();
  json.EndObject();
  out += '\n';
}

}  // namespace nestwalk
