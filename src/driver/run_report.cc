#include "driver/run_report.h"

#include <optional>
#include <string>

#include "report/csv_report.h"
#include "report/json_report.h"
#include "report/membership_chains.h"
#include "report/membership_graph.h"
#include "report/membership_report.h"
#include "report/read_shortfalls.h"
#include "report/token_estimate.h"

namespace nestwalk {

namespace {

// Appends the account's document to `document`.
void AppendJsonDocument(std::string& document, JsonGroups& groupObjects,
                        const SecurityPrincipal& principal, const AccountObject& account,
                        const GroupDetailsMap& groups, bool oneLine) {
  const MembershipGraph graph(groups, account.dn);
  AppendJsonReport(document, groupObjects,
                   {std::string(NamesOf(principal.kind).reportKind), principal.qualifiedName,
                    account.dn, account.objectSid},
                   groups, graph, MembershipChains(graph), TokenOf(principal, account, graph),
                   oneLine);
}

// Appends the account's rows to `rows`.
void AppendAccountRows(std::string& rows, const RunSettings& settings,
                       const SecurityPrincipal& principal, const AccountObject& account,
                       const GroupDetailsMap& groups) {
  const CsvColumns columns{.chains = settings.path, .token = settings.token};
  const std::string shortfall = ShortfallSummary(groups);
  if ((!columns.chains && !columns.token) || !shortfall.empty()) {
    AppendCsvRows(rows,
                  {principal.qualifiedName, principal.samName, account.dn, std::nullopt, shortfall},
                  groups, columns, {});
    return;
  }
  const MembershipGraph graph(groups, account.dn);
  const MembershipChains chains(graph);
  const CsvAccount row{principal.qualifiedName, principal.samName, account.dn,
                       TokenOf(principal, account, graph)};
  AppendCsvRows(rows, row, groups, columns, CsvChainsOver(graph, chains, principal.samName));
}

void WriteTextReport(Console& console, const RunSettings& settings,
                     const SecurityPrincipal& principal, const AccountObject& account,
                     const GroupDetailsMap& groups) {
  if (!settings.path && !settings.token) {
    WriteMembershipReport(console, groups);
    return;
  }
  const MembershipGraph graph(groups, account.dn);
  if (settings.path) {
    const MembershipChains chains(graph);
    WriteMembershipReport(console, groups, [&](const std::string& key) {
      return ChainLine(graph, chains, *graph.Find(key), principal.samName);
    });
  } else {
    WriteMembershipReport(console, groups);
  }
  if (!settings.token) return;
  if (std::optional<TokenEstimate> token = TokenOf(principal, account, graph)) {
    WriteTokenEstimate(console, *token);
  } else {
    WriteNoTokenForGroup(console);
  }
}

}  // namespace

std::optional<TokenEstimate> TokenOf(const SecurityPrincipal& principal,
                                     const AccountObject& account, const MembershipGraph& graph) {
  if (principal.kind == PrincipalKind::kGroup) return std::nullopt;
  return EstimateToken(graph, account.dn, account.sIDHistory.size());
}

void WriteCsvHeader(Console& console, const RunSettings& settings) {
  if (!settings.csv) return;
  const std::string header = CsvHeader({.chains = settings.path, .token = settings.token});
  console.Document(settings.sinceFile.empty() ? header : "change," + header);
}

void ReportWriter::Write(Console& console, const SecurityPrincipal& principal,
                         const AccountObject& account, const GroupDetailsMap& groups) {
  if (settings_.csv && !settings_.reviewsAccounts()) WriteCsvHeader(console, settings_);
  if (since_ != nullptr) {
    since_->Write(console, principal, account, groups);
  } else if (settings_.csv) {
    // One buffer for every account's rows: a review writes thousands of them.
    document_.clear();
    AppendAccountRows(document_, settings_, principal, account, groups);
    console.Document(document_);
  } else if (settings_.json) {
    document_.clear();
    AppendJsonDocument(document_, jsonGroups_, principal, account, groups,
                       settings_.reviewsAccounts());
    console.Document(document_);
  } else {
    WriteTextReport(console, settings_, principal, account, groups);
  }
  WriteIncompleteWarning(console, groups);
}

}  // namespace nestwalk
