#include "text/dn_names.h"

#include <vector>

#include "text/case_folding.h"
#include "text/split_text.h"

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

std::string DomainOfDn(std::string_view dn) {
  std::string lower = LowerCaseText(dn);
  std::size_t start = lower.find("dc=");
  if (start == std::string::npos) return {};
  return lower.substr(start);
}

std::string DomainNameToDn(std::string_view dnsName) {
  std::vector<std::string> labels;
  SplitText(dnsName, ".", labels);
  std::string dn;
  for (const std::string& label : labels) {
    if (label.empty()) continue;
    if (!dn.empty()) dn += ",";
    dn += "DC=" + label;
  }
  return dn;
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
