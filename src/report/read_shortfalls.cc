#include "report/read_shortfalls.h"

#include <set>
#include <string>

#include "text/case_folding.h"

namespace nestwalk {

namespace {

std::string Counted(std::size_t count, const std::string& one, const std::string& many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

}  // namespace

std::vector<ReadProblem> ReadShortfalls(const GroupDetailsMap& groups) {
  std::vector<ReadProblem> shortfalls = groups.problems();
  std::set<std::string, std::less<>> named;
  for (const ReadProblem& problem : shortfalls) named.insert(LowerCaseText(problem.subject));
  for (const auto& [key, group] : groups.entries()) {
    if (group.sAMAccountName.empty() && !named.contains(key)) {
      shortfalls.push_back({group.dn, "its entry was never read"});
    }
  }
  return shortfalls;
}

std::string ShortfallSummary(const GroupDetailsMap& groups) {
  std::set<std::string, std::less<>> groupKeys;
  std::set<std::string, std::less<>> others;
  for (const ReadProblem& shortfall : ReadShortfalls(groups)) {
    std::string key = LowerCaseText(shortfall.subject);
    (groups.Find(key) != nullptr ? groupKeys : others).insert(std::move(key));
  }
  std::string line;
  if (groupKeys.empty() && others.empty()) return line;
  if (groupKeys.empty()) {
    line += Counted(others.size(), "read", "reads") + " fell short";
  } else {
    line += Counted(groupKeys.size(), "group", "groups") + " could not be read in full";
    if (!others.empty()) {
      line += " and " + Counted(others.size(), "other read", "other reads") + " fell short";
    }
  }
  return line;
}

void WriteIncompleteWarning(Console& console, const GroupDetailsMap& groups) {
  const std::string summary = ShortfallSummary(groups);
  if (!summary.empty()) console.Err("WARNING: " + summary + "; the list may be incomplete\n");
}

}  // namespace nestwalk
