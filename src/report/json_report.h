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

// The groups of a graph as the "groups" of the document lay them out, each DN escaped once
// however many chains it is on, and on one line each chain's path written once: a group's is
// the path of the group before it on its chain and its own DN. Kept from one account to the
// next, so that its memory is taken once: a review writes thousands of documents.
class JsonGroups {
 public:
  // Takes the groups of `graph`, whose chains are `chains`; both must outlive the calls of Write
  // that follow.
  void Start(const MembershipGraph& graph, const MembershipChains& chains);

  // The object of the group node `node`: its DN, name, scope, kind, SID, whether it was read,
  // its chain and, for a group of a trusting forest, its forest.
  void Write(JsonWriter& json, MembershipGraph::Node node);

 private:
  // A group's chain as one line writes its "path": the DNs between the brackets.
  struct Path {
    std::size_t begin = 0;  // in paths_
    std::size_t end = 0;
    std::size_t depth = 0;  // 0: no chain leads to the group
    bool viaPrimaryGroup = false;
    bool written = false;
  };

  std::string_view QuotedDn(MembershipGraph::Node node) const;
  const Path& PathOf(MembershipGraph::Node node);

  const MembershipGraph* graph_ = nullptr;
  const MembershipChains* chains_ = nullptr;
  std::string quotedDns_;          // every group's DN as JSON, one after another
  std::vector<std::size_t> ends_;  // where each node's ends in quotedDns_
  std::string paths_;              // the paths written, one after another
  std::vector<Path> pathOf_;       // of each node
  std::vector<MembershipGraph::Node> hops_;  // a chain's groups not yet written, from the end
  MembershipChain chain_;          // the chain of an indented document, its memory reused
};

// Appends the document to `out`, indented (or on one line when `oneLine`, for JSON Lines), with
// a line end; valid UTF-8 whatever the directory holds (JsonWriter::String). `token` is written
// as null when absent (a group principal). `groupObjects` writes the groups.
void AppendJsonReport(std::string& out, JsonGroups& groupObjects, const ReportedAccount& account,
                      const GroupDetailsMap& groups, const MembershipGraph& graph,
                      const MembershipChains& chains, const std::optional<TokenEstimate>& token,
                      bool oneLine);

}  // namespace nestwalk

#endif  // NESTWALK_REPORT_JSON_REPORT_H_
