#include "report/members_report.h"

#include <array>
#include <nlohmann/json.hpp>

#include "membership/group_type.h"
#include "report/csv_report.h"
#include "text/case_folding.h"
#include "text/utf8_escape.h"

namespace nestwalk {

namespace {

using Json = nlohmann::ordered_json;

std::string_view KindName(MemberKind kind) {
  switch (kind) {
    case MemberKind::kUser:
      return "user";
    case MemberKind::kComputer:
      return "computer";
    case MemberKind::kGroup:
      return "group";
    case MemberKind::kForeign:
      return "foreign";
    case MemberKind::kContact:
      return "contact";
    case MemberKind::kOther:
      break;
  }
  return "other";
}

std::string_view HopText(MemberHop hop) {
  switch (hop) {
    case MemberHop::kPrimary:
      return " =primary=> ";
    case MemberHop::kForeign:
      return " =foreign=> ";
    case MemberHop::kMember:
      break;
  }
  return " -> ";
}

// How a chain names a member: its sAMAccountName, without the domain.
std::string_view ShortName(const GroupMember& member) {
  std::string_view name = member.name;
  if (member.kind == MemberKind::kForeign) return name;
  return name.substr(name.rfind('\\') + 1);
}

std::string ScopeAndKind(const GroupMember& group) {
  return std::string(ScopeWord(ScopeOfGroupType(group.groupType))) + " " +
         std::string(KindWord(group.groupType));
}

}  // namespace

std::vector<MemberChainHop> MemberChain(const MembersAnswer& answer, const std::string& key) {
  std::vector<MemberChainHop> chain;
  const std::string groupKey = LowerCaseText(answer.group.dn);
  // A parent is always found a level before its member: the chain ends at the group (which a
  // cycle can make a member of itself).
  for (auto member = answer.members.find(key); member != answer.members.end();
       member = answer.members.find(member->second.parentKey)) {
    chain.push_back({&member->second, member->second.hop});
    if (member->second.parentKey == groupKey || chain.size() > answer.members.size()) break;
  }
  return chain;
}

std::string MemberChainText(const MembersAnswer& answer, const std::string& key) {
  std::string text;
  for (const MemberChainHop& hop : MemberChain(answer, key)) {
    text += std::string(ShortName(*hop.member)) + std::string(HopText(hop.hop));
  }
  return text + std::string(ShortName(answer.group));
}

std::string MemberTag(const GroupMember& member) {
  if (member.kind == MemberKind::kGroup) return "[GROUP] [" + ScopeAndKind(member) + "]";
  std::string tag(KindName(member.kind));
  for (char& c : tag) c = static_cast<char>(c - 'a' + 'A');
  return "[" + tag + "]";
}

std::string MembersText(const MembersAnswer& answer, bool chains) {
  std::string text = "Members of [" + ScopeAndKind(answer.group) + "] " + answer.group.name + " " +
                     answer.group.dn + "\n";
  std::array<std::size_t, 6> counts{};
  for (const auto& [key, member] : answer.members) {
    ++counts[static_cast<std::size_t>(member.kind)];
    text += "  " + MemberTag(member) + " " + member.name + " " + member.dn + "\n";
    if (chains) text += "      via: " + MemberChainText(answer, key) + "\n";
  }
  const std::size_t contactsAndOthers = counts[4] + counts[5];
  text += "Members: " + std::to_string(answer.members.size()) + " (users " +
          std::to_string(counts[0]) + ", computers " + std::to_string(counts[1]) + ", groups " +
          std::to_string(counts[2]) + ", foreign " + std::to_string(counts[3]) + ", other " +
          std::to_string(contactsAndOthers) + ")\n";
  return text;
}

std::string MembersCsv(const MembersAnswer& answer, bool chains) {
  std::string rows = "group,groupDn,member,memberDn,memberKind,scope,kind";
  if (chains) rows += ",depth,via";
  rows += "\r\n";
  std::string opening;
  AppendCsvField(opening, answer.group.name);
  opening += ',';
  AppendCsvField(opening, answer.group.dn);
  auto row = [&](const std::vector<std::string>& fields) {
    rows += opening;
    for (const std::string& field : fields) {
      rows += ',';
      AppendCsvField(rows, field);
    }
    rows += "\r\n";
  };
  if (answer.members.empty()) row(chains ? std::vector<std::string>(7) : std::vector<std::string>(5));
  for (const auto& [key, member] : answer.members) {
    const bool group = member.kind == MemberKind::kGroup;
    std::vector<std::string> fields{
        member.name, member.dn, std::string(KindName(member.kind)),
        group ? std::string(ScopeWord(ScopeOfGroupType(member.groupType))) : "",
        group ? std::string(KindWord(member.groupType)) : ""};
    if (chains) {
      fields.push_back(std::to_string(MemberChain(answer, key).size()));
      fields.push_back(MemberChainText(answer, key));
    }
    row(fields);
  }
  return rows;
}

std::string MembersJson(const MembersAnswer& answer) {
  auto text = [](std::string_view value) { return Json(EscapeInvalidUtf8(value)); };
  Json members = Json::array();
  for (const auto& [key, member] : answer.members) {
    Json path = Json::array();
    Json hops = Json::array();
    const std::vector<MemberChainHop> chain = MemberChain(answer, key);
    for (std::size_t i = 1; i < chain.size(); ++i) path.push_back(text(chain[i].member->dn));
    path.push_back(text(answer.group.dn));
    for (const MemberChainHop& hop : chain) {
      hops.push_back(std::string(HopText(hop.hop)).substr(1, HopText(hop.hop).size() - 2));
    }
    Json object{{"dn", text(member.dn)},
                {"name", text(member.name)},
                {"kind", KindName(member.kind)},
                {"sid", member.sid.empty() ? Json(nullptr) : Json(member.sid)},
                {"path", std::move(path)},
                {"hops", std::move(hops)},
                {"depth", chain.size()}};
    if (member.kind == MemberKind::kGroup) {
      object["scope"] = ScopeWord(ScopeOfGroupType(member.groupType));
      object["groupKind"] = KindWord(member.groupType);
    }
    if (!member.forest.empty()) object["forest"] = text(member.forest);
    members.push_back(std::move(object));
  }
  Json unread = Json::array();
  for (const ReadProblem& problem : answer.problems) {
    unread.push_back(Json{{"subject", text(problem.subject)}, {"reason", text(problem.reason)}});
  }
  Json document{{"group",
                 {{"dn", text(answer.group.dn)},
                  {"name", text(answer.group.name)},
                  {"scope", ScopeWord(ScopeOfGroupType(answer.group.groupType))},
                  {"kind", KindWord(answer.group.groupType)},
                  {"sid", answer.group.sid.empty() ? Json(nullptr) : Json(answer.group.sid)}}},
                {"members", std::move(members)},
                {"count", answer.members.size()},
                {"complete", answer.problems.empty()},
                {"unread", std::move(unread)}};
  return document.dump(2) + "\n";
}

}  // namespace nestwalk
