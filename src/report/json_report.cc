#include "report/json_report.h"

#include <algorithm>
#include <cstddef>

#include "membership/group_type.h"
#include "platform/sid.h"
#include "report/read_shortfalls.h"

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
  json.Key<"d">();
  json.Integer(token.d);
  json.Key<"s">();
  json.Integer(token.s);
  json.Key<"bytes">();
  json.Integer(token.bytes());
  json.Key<"over12000">();
  json.Bool(token.bytes() > kOldMaxTokenSize);
  json.Key<"over48000">();
  json.Bool(token.bytes() > kMaxTokenSize);
  json.Key<"sids">();
  json.Integer(token.sids());
  json.Key<"sidLimit">();
  json.Integer(kTokenSidLimit);
  json.Key<"overSidLimit">();
  json.Bool(token.sids() > kTokenSidLimit);
  json.EndObject();
}

}  // namespace

void JsonGroups::Start(const MembershipGraph& graph, const MembershipChains& chains) {
  graph_ = &graph;
  chains_ = &chains;
  quotedDns_.clear();
  ends_.clear();
  paths_.clear();
  pathOf_.assign(graph.groupCount(), Path());
  for (MembershipGraph::Node node = 0; node < graph.groupCount(); ++node) {
    AppendQuotedJson(quotedDns_, graph.group(node).dn);
    ends_.push_back(quotedDns_.size());
  }
}

std::string_view JsonGroups::QuotedDn(MembershipGraph::Node node) const {
  const std::size_t begin = node == 0 ? 0 : ends_[node - 1];
  return std::string_view(quotedDns_).substr(begin, ends_[node] - begin);
}

const JsonGroups::Path& JsonGroups::PathOf(MembershipGraph::Node node) {
  if (!chains_->Reaches(node)) return pathOf_[node];
  // Back along the chain to a group whose path is written, or to the account; then forwards.
  hops_.clear();
  for (MembershipGraph::Node at = node; at != graph_->account() && !pathOf_[at].written;
       at = chains_->Previous(at)) {
    hops_.push_back(at);
  }
  for (auto hop = hops_.rbegin(); hop != hops_.rend(); ++hop) {
    const MembershipGraph::Node before = chains_->Previous(*hop);
    Path path{.begin = paths_.size()};
    if (before == graph_->account()) {
      path.depth = 1;
      path.viaPrimaryGroup = chains_->EntersByPrimaryGroup(*hop);
    } else {
      const Path& earlier = pathOf_[before];
      // Copied by offset: appending a string's own text to it takes libstdc++'s slow path.
      paths_.resize(path.begin + (earlier.end - earlier.begin));
      std::copy(paths_.begin() + static_cast<std::ptrdiff_t>(earlier.begin),
                paths_.begin() + static_cast<std::ptrdiff_t>(earlier.end),
                paths_.begin() + static_cast<std::ptrdiff_t>(path.begin));
      paths_ += ',';
      path.depth = earlier.depth + 1;
      path.viaPrimaryGroup = earlier.viaPrimaryGroup;
    }
    paths_ += QuotedDn(*hop);
    path.end = paths_.size();
    path.written = true;
    pathOf_[*hop] = path;
  }
  return pathOf_[node];
}

void JsonGroups::Write(JsonWriter& json, MembershipGraph::Node node) {
  const data& group = graph_->group(node);
  const bool read = !group.sAMAccountName.empty();
  json.BeginObject();
  json.Key<"dn">();
  json.Written(QuotedDn(node));
  json.Key<"sAMAccountName">();
  if (read && group.sAMAccountName != kUnknownAccountName) {
    json.String(group.sAMAccountName);
  } else {
    json.Null();
  }
  const GroupTypeWords words = WordsOfGroupType(group.groupType);
  json.Key<"scope">();
  json.String(words.scope);
  json.Key<"kind">();
  json.String(words.kind);
  json.Key<"sid">();
  WriteSid(json, group.objectSid);
  json.Key<"read">();
  json.Bool(read);
  json.Key<"path">();
  json.BeginArray();
  std::size_t depth = 0;
  bool viaPrimaryGroup = false;
  if (json.oneLine()) {
    const Path& path = PathOf(node);
    json.WrittenElements(std::string_view(paths_).substr(path.begin, path.end - path.begin));
    depth = path.depth;
    viaPrimaryGroup = path.viaPrimaryGroup;
  } else {
    chains_->ChainTo(node, chain_);
    for (MembershipGraph::Node hop : chain_.groups) json.Written(QuotedDn(hop));
    depth = chain_.groups.size();
    viaPrimaryGroup = chain_.viaPrimaryGroup;
  }
  json.EndArray();
  json.Key<"depth">();
  if (depth == 0) {
    json.Null();
  } else {
    json.Integer(static_cast<long long>(depth));
  }
  json.Key<"viaPrimaryGroup">();
  json.Bool(viaPrimaryGroup);
  if (!group.forest.empty()) {
    json.Key<"forest">();
    json.String(group.forest);
  }
  json.EndObject();
}

void AppendJsonReport(std::string& out, JsonGroups& groupObjects, const ReportedAccount& account,
                      const GroupDetailsMap& groups, const MembershipGraph& graph,
                      const MembershipChains& chains, const std::optional<TokenEstimate>& token,
                      bool oneLine) {
  JsonWriter json(out, oneLine);
  json.BeginObject();
  json.Key<"principal">();
  json.BeginObject();
  json.Key<"kind">();
  json.String(account.kind);
  json.Key<"name">();
  json.String(account.name);
  json.Key<"dn">();
  json.String(account.dn);
  json.Key<"sid">();
  WriteSid(json, account.objectSid);
  json.EndObject();
  json.Key<"groups">();
  json.BeginArray();
  groupObjects.Start(graph, chains);
  for (MembershipGraph::Node node = 0; node < graph.groupCount(); ++node) {
    groupObjects.Write(json, node);
  }
  json.EndArray();
  json.Key<"token">();
  if (token) {
    WriteToken(json, *token);
  } else {
    json.Null();
  }
  const std::vector<ReadProblem> unread = ReadShortfalls(groups);
  json.Key<"complete">();
  json.Bool(unread.empty());
  json.Key<"unread">();
  json.BeginArray();
  for (const ReadProblem& shortfall : unread) {
    json.BeginObject();
    json.Key<"subject">();
    json.String(shortfall.subject);
    json.Key<"reason">();
    json.String(shortfall.reason);
    json.EndObject();
  }
  json.EndArray();
  json.EndObject();
  out += '\n';
}

}  // namespace nestwalk
