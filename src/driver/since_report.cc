#include "driver/since_report.h"

#include <filesystem>
#include <fstream>
#include <system_error>
#include <utility>
#include <variant>

#include "driver/run_report.h"
#include "report/change_report.h"
#include "report/earlier_review_file.h"
#include "report/membership_chains.h"
#include "report/membership_graph.h"
#include "report/read_shortfalls.h"
#include "report/review_key.h"

namespace nestwalk {

namespace {

std::string Counted(std::size_t count, const std::string& one, const std::string& many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

}  // namespace

std::optional<EarlierReview> LoadEarlierReview(Console& console, const RunSettings& settings) {
  const std::string& file = settings.sinceFile;
  std::error_code error;
  if (std::filesystem::is_directory(file, error)) {
    console.Err("Error: Couldn't read " + file + ": it is a directory\n");
    return std::nullopt;
  }
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    console.Err("Error: Couldn't read " + file + "\n");
    return std::nullopt;
  }
  std::variant<EarlierReview, std::string> read = ReadEarlierReview(in);
  if (const auto* problem = std::get_if<std::string>(&read)) {
    console.Err("Error: -since " + file + " " + *problem + "\n");
    return std::nullopt;
  }
  return std::get<EarlierReview>(std::move(read));
}

SinceReport::SinceReport(const RunSettings& settings, EarlierReview earlier)
    : settings_(settings),
      earlier_(std::move(earlier)),
      comparison_(earlier_),
      seen_(earlier_.accounts().size(), Seen::kNo) {}

void SinceReport::Asked(const SecurityPrincipal& principal) {
  const std::optional<std::size_t> index =
      earlier_.FindAccount(MakeReviewKey(principal.qualifiedName, key_));
  if (index && seen_[*index] == Seen::kNo) seen_[*index] = Seen::kAsked;
}

void SinceReport::Classify(const SecurityPrincipal& principal, const GroupDetailsMap& groups) {
  changes_.added.clear();
  changes_.removed.clear();
  changes_.reason.clear();
  const std::optional<std::size_t> index =
      earlier_.FindAccount(MakeReviewKey(principal.qualifiedName, key_));
  if (index) seen_[*index] = Seen::kReported;
  const std::string& file = settings_.sinceFile;
  if (const std::string shortfall = ShortfallSummary(groups); !shortfall.empty()) {
    changes_.change = AccountChange::kNotCompared;
    changes_.reason = "its reads fell short in this run (" + shortfall + ")";
    ++notCompared_;
  } else if (!index) {
    changes_.change = AccountChange::kAdded;
    changes_.reason = "not in " + file;
    for (const auto& entry : groups.entries()) changes_.added.push_back(&entry);
    ++added_;
  } else if (const std::string& shortfall = earlier_.accounts()[*index].shortfall;
             !shortfall.empty()) {
    changes_.change = AccountChange::kNotCompared;
    changes_.reason = file + " holds no whole answer for it (" + shortfall + ")";
    ++notCompared_;
  } else {
    changes_.change = AccountChange::kChanged;
    comparison_.Compare(*index, groups, changes_);
    ++compared_;
    if (!changes_.empty()) ++changed_;
    groupsAdded_ += changes_.added.size();
    groupsRemoved_ += changes_.removed.size();
  }
}

void SinceReport::SeparateBlock(Console& console) {
  if (blocks_++ > 0) console.Out("\n");
}

void SinceReport::Write(Console& console, const SecurityPrincipal& principal,
                        const AccountObject& account, const GroupDetailsMap& groups) {
  Classify(principal, groups);
  if (changes_.change == AccountChange::kChanged && changes_.empty()) return;
  // The chains and the token are worked out only for an account that has something to show.
  const bool gains = !changes_.added.empty();
  const bool needsGraph =
      (gains && (settings_.json || settings_.path)) || (settings_.csv && settings_.token);
  std::optional<MembershipGraph> graph;
  std::optional<MembershipChains> chains;
  if (needsGraph) {
    graph.emplace(groups, account.dn);
    chains.emplace(*graph);
  }
  document_.clear();
  if (settings_.csv) {
    const CsvColumns columns{.chains = settings_.path, .token = settings_.token};
    const CsvAccount row{principal.qualifiedName, principal.samName, account.dn,
                         columns.token ? TokenOf(principal, account, *graph) : std::nullopt};
    AppendCsvChanges(document_, row, columns, changes_, earlier_,
                     graph ? CsvChainsOver(*graph, *chains, principal.samName) : CsvChainOf());
    console.Document(document_);
  } else if (settings_.json) {
    if (graph) jsonGroups_.Start(*graph, *chains);
    AppendJsonChanges(document_, principal.qualifiedName, account.dn, changes_, earlier_,
                      graph ? &jsonGroups_ : nullptr, graph ? &*graph : nullptr);
    console.Document(document_);
  } else {
    SeparateBlock(console);
    document_ = PrincipalLine(principal);
    std::function<std::string(const std::string&)> chainLine;
    if (settings_.path && graph) {
      chainLine = [&](const std::string& key) {
        return ChainLine(*graph, *chains, *graph->Find(key), principal.samName);
      };
    }
    AppendTextChanges(document_, changes_, earlier_, chainLine);
    console.Out(document_);
  }
}

void SinceReport::WriteEarlier(Console& console, std::size_t index) {
  const EarlierAccount& account = earlier_.accounts()[index];
  document_.clear();
  if (settings_.csv) {
    AppendCsvChanges(document_, {account.name, "", account.dn, std::nullopt},
                     {.chains = settings_.path, .token = settings_.token}, changes_, earlier_, {});
    console.Document(document_);
  } else if (settings_.json) {
    AppendJsonChanges(document_, account.name, account.dn, changes_, earlier_, nullptr, nullptr);
    console.Document(document_);
  } else {
    SeparateBlock(console);
    document_ = "Earlier account: " + account.name + "\n";
    AppendTextChanges(document_, changes_, earlier_, {});
    console.Out(document_);
  }
}

void SinceReport::Finish(Console& console) {
  const std::string& file = settings_.sinceFile;
  changes_.added.clear();
  changes_.removed.clear();
  for (std::size_t index = 0; index < seen_.size(); ++index) {
    if (seen_[index] == Seen::kReported) continue;
    if (seen_[index] == Seen::kAsked) {
      changes_.change = AccountChange::kNotCompared;
      changes_.reason = "not reported in this run";
      ++notCompared_;
    } else {
      changes_.change = AccountChange::kRemoved;
      changes_.reason = "in " + file + ", not in this review";
      ++removed_;
    }
    WriteEarlier(console, index);
  }
  console.Err("Since " + file + ": " + Counted(compared_, "account", "accounts") + " compared, " +
              std::to_string(changed_) + " with changes (" +
              Counted(groupsAdded_, "group", "groups") + " added, " +
              std::to_string(groupsRemoved_) + " removed); " + std::to_string(added_) + " new, " +
              std::to_string(removed_) + " gone, " + std::to_string(notCompared_) +
              " not compared\n");
}

}  // namespace nestwalk
