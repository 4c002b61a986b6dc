#include "text/dn_names.h"

#include <vector>

#include "text/case_folding.h"

namespace nestwalk {

std::string DnToDomainName(std::string_view dn) {
  // The leading comma and the trailing marker let every "dc=" value be found as ",dc=<value>,".
  std::string working = LowerCaseText(std::string(",").append(dn).append(",DC="));
  if (working.find("cn=") != std::string::npos) return std::string(kNotDomainDnMarker);

  constexpr std::string_view kMarker = ",dc=";
  std::string name;
  std::size_t start = 0;
  for (std::size_t at = working.find(kMarker); at != std::string::npos;
       at = working.find(kMarker, start)) {
    if (at > start) name.append(working, start, at - start).append(".");
    start = at + kMarker.size();
  }
  if (!name.empty()) name.pop_back();
  return name;
}

std::string DnComponent(std::string_view dn, int index) {
  if (index < 0) return {};
  std::string working = LowerCaseText(dn);
  std::size_t start = 0;
  for (int i = 0; i < index; ++i) {
    std::size_t comma = working.find(',', start);
    if (comma == std::string::npos) return {};
    start = comma + 1;
  }
  return working.substr(start, working.find(',', start) - start);
}

}  // namespace nestwalk
