#include "platform/linux/flat_name.h"

#include <set>

#include "text/case_folding.h"

namespace nestwalk::platform {

std::string DomainKey(std::string_view name) {
  if (!name.empty() && name.back() == '.') name.remove_suffix(1);
  return LowerCaseText(name);
}

std::optional<NetlogonResponse> MapFlatName(std::string_view flatName,
                                            const std::vector<std::string>& knownDomains,
                                            const DomainPing& ping) {
  const std::string wanted = LowerCaseText(flatName);
  std::set<std::string> asked;
  for (const std::string& domain : knownDomains) {
    const std::string key = DomainKey(domain);
    if (key.empty() || !asked.insert(key).second) continue;
    std::optional<NetlogonResponse> answer = ping(key);
    if (answer && LowerCaseText(answer->netbiosDomainName) == wanted) return answer;
  }
  return std::nullopt;
}

}  // namespace nestwalk::platform
