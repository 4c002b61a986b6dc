#include "membership/csv_report.h"

#include <string_view>
#include <vector>

#include "membership/group_type.h"
#include "text/utf8_escape.h"

namespace nestwalk {

namespace {

std::string Field(std::string_view value) {
  std::string text = EscapeControlCharacters(EscapeInvalidUtf8(value), /*keepLayout=*/false);
  if (text.find_first_of(",\"") == std::string::npos) return text;
  std::string quoted = "\"";
  for (const char c : text) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + "\"";
}

std::string Row(const std::vector<std::string>& fields) {
  std::string row;
  for (const std::string& field : fields) {
    if (!row.empty()) row += ',';
    row += Field(field);
  }
  return row + "\r\n";
}

}  // namespace

std::string CsvHeader(CsvColumns columns) {
  std::string header = "account,accountDn,groupDn,groupName,scope,kind";
  if (columns.chains) header += ",depth,via";
  if (columns.token) header += ",tokenBytes";
  return header + "\r\n";
}

std::string CsvRows(const CsvAccount& account, const MembershipGraph& graph,
                    const MembershipChains& chains, CsvColumns columns) {
  const std::string tokenBytes = account.token ? std::to_string(account.token->bytes()) : "";
  auto row = [&](std::vector<std::string> fields, const std::string& depth,
                 const std::string& via) {
    if (columns.chains) fields.insert(fields.end(), {depth, via});
    if (columns.token) fields.push_back(tokenBytes);
    return Row(fields);
  };
  if (graph.groupCount() == 0) return row({account.name, account.dn, "", "", "", ""}, "", "");
  std::string rows;
  for (MembershipGraph::Node node = 0; node < graph.groupCount(); ++node) {
    const data& group = graph.group(node);
    const std::size_t depth = chains.ChainTo(node).groups.size();
    rows += row({account.name, account.dn, group.dn, group.sAMAccountName,
                 std::string(ScopeWord(ScopeOfGroupType(group.groupType))),
                 std::string(KindWord(group.groupType))},
                depth == 0 ? "" : std::to_string(depth),
                ChainText(graph, chains, node, account.samName));
  }
  return rows;
}

}  // namespace nestwalk
