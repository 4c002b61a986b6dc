// The report as one JSON document (-json), laid out as doc/nestwalk-report.schema.json says.
#ifndef NESTWALK_REPORT_JSON_REPORT_H_
#define NESTWALK_REPORT_JSON_REPORT_H_

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "membership/group_details.h"
#include "report/membership_chains.h"
#include "report/membership_graph.h"
#include "report/token_estimate.h"
#include "text/json_writer.h"

namespace nestwalk {

struct ReportedAccount {
  std::string kind;       // "user", "computer" or "group"
  std::string name;       // domain\name, as the principal line shows it
  std::string dn;
  std::string objectSid;  // binary; empty when it was not read
};

// Writes `text` as a JSON string, each byte that is no UTF-8 as "\XX" (EscapeInvalidUtf8), so
// that the document is valid UTF-8 whatever the directory holds.
void WriteJsonText(JsonWriter& json, std::string_view text);

// The groups of a graph as the "groups" of the document lay them out, each DN escaped once
// however many chains it is on. Views `graph` and `chains`, which must outlive it.
class JsonGroups {
 public:
  JsonGroups(const MembershipGraph& graph, const MembershipChains& chains);

  // The object of the group node `node`: its DN, name, scope, kind, SID, whether it was read,
  // its chain and, for a group of a trusting forest, its forest.
  void Write(JsonWriter& json, MembershipGraph::Node node);

 private:
  std::string_view QuotedDn(MembershipGraph::Node node) const;

  const MembershipGraph& graph_;
  const MembershipChains& chains_;
  std::string quotedDns_;         // every group's DN as JSON, one after another
  std::vector<std::size_t> ends_;  // where each node's ends in quotedDns_
  MembershipChain chain_;         // the chain being written, its memory reused
};

// Appends the document to `out`, indented (or on one line when `oneLine`, for JSON Lines), with
// a line end. `token` is written as null when absent (a group principal).
void AppendJsonReport(std::string& out, const ReportedAccount& account,
                      const GroupDetailsMap& groups, const MembershipGraph& graph,
                      const MembershipChains& chains, const std::optional<TokenEstimate>& token,
                      bool oneLine);

}  // namespace nestwalk

#endif  // NESTWALK_REPORT_JSON_REPORT_H_
