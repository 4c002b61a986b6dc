#include "report/change_report.h"

#include "report/membership_report.h"

namespace nestwalk {

namespace {

// What the text says of an account that was not compared group by group (nothing of one that
// was), and the document's "change".
struct ChangeWords {
  std::string_view text;
  std::string_view json;
};

ChangeWords WordsOf(AccountChange change) {
  switch (change) {
    case AccountChange::kAdded:
      return {"new", "added"};
    case AccountChange::kRemoved:
      return {"gone", "removed"};
    case AccountChange::kNotCompared:
      return {"not compared", "notCompared"};
    case AccountChange::kChanged:
      break;
  }
  return {"", "changed"};
}

void WriteEarlierGroup(JsonWriter& json, const EarlierGroup& group) {
  json.BeginObject();
  json.Key<"dn">();
  json.String(group.dn);
  json.Key<"sAMAccountName">();
  if (group.name.empty()) {
    json.Null();
  } else {
    json.String(group.name);
  }
  json.Key<"scope">();
  json.String(group.scope);
  json.Key<"kind">();
  json.String(group.kind);
  json.EndObject();
}

}  // namespace

void AppendTextChanges(std::string& lines, const AccountChanges& changes,
                       const EarlierReview& earlier,
                       const std::function<std::string(const std::string& key)>& afterLine) {
  if (changes.change != AccountChange::kChanged) {
    lines += "  ";
    lines += WordsOf(changes.change).text;
    lines += ": ";
    lines += changes.reason;
    lines += '\n';
  }
  for (const auto* entry : changes.added) {
    const data& group = entry->second;
    AppendGroupLine(lines, "+ ", GroupTypeLabel(group.groupType), group.sAMAccountName, group.dn);
    if (afterLine) lines += afterLine(entry->first);
  }
  for (const std::uint32_t index : changes.removed) {
    const EarlierGroup& group = earlier.groups()[index];
    AppendGroupLine(lines, "- ", group.scope + " " + group.kind, group.name, group.dn);
  }
}

void AppendCsvChanges(std::string& rows, const CsvAccount& account, CsvColumns columns,
                      const AccountChanges& changes, const EarlierReview& earlier,
                      const CsvChainOf& chainOf) {
  CsvAccountRows accountRows(rows, account, columns);
  switch (changes.change) {
    case AccountChange::kAdded:
      accountRows.Row("added", "", "", "", "", "", "");
      break;
    case AccountChange::kRemoved:
      accountRows.Row("removed", "", "", "", "", "", "");
      break;
    case AccountChange::kNotCompared:
      accountRows.Row("not compared", "", changes.reason, "", "", "", "");
      break;
    case AccountChange::kChanged:
      break;
  }
  std::pair<std::size_t, std::string> chain;
  for (const auto* entry : changes.added) {
    if (columns.chains) chain = chainOf(entry->first);
    accountRows.GroupRow("added", entry->second, chain);
  }
  for (const std::uint32_t index : changes.removed) {
    const EarlierGroup& group = earlier.groups()[index];
    accountRows.Row("removed", group.dn, group.name, group.scope, group.kind, "", "");
  }
}

void AppendJsonChanges(std::string& out, std::string_view name, std::string_view dn,
                       const AccountChanges& changes, const EarlierReview& earlier,
                       JsonGroups* gained, const MembershipGraph* graph) {
  JsonWriter json(out, /*oneLine=*/true);
  json.BeginObject();
  json.Key<"change">();
  json.String(WordsOf(changes.change).json);
  json.Key<"account">();
  json.BeginObject();
  json.Key<"name">();
  json.String(name);
  json.Key<"dn">();
  json.String(dn);
  json.EndObject();
  json.Key<"added">();
  json.BeginArray();
  for (const auto* entry : changes.added) gained->Write(json, *graph->Find(entry->first));
  json.EndArray();
  json.Key<"removed">();
  json.BeginArray();
  for (const std::uint32_t index : changes.removed) {
    WriteEarlierGroup(json, earlier.groups()[index]);
  }
  json.EndArray();
  json.Key<"reason">();
  if (changes.change == AccountChange::kChanged) {
    json.Null();
  } else {
    json.String(changes.reason);
  }
  json.EndObject();
  out += '\n';
}

}  // namespace nestwalk
