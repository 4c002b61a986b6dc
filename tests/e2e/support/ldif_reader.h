// Reads the LDIF that `ldapsearch -LLL` writes: entries with their DN and attribute values,
// base64 values ("attr:: ...") decoded, comments and search references skipped.
#ifndef NESTWALK_TESTS_E2E_SUPPORT_LDIF_READER_H_
#define NESTWALK_TESTS_E2E_SUPPORT_LDIF_READER_H_

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace nestwalk::e2e {

struct LdifEntry {
  std::string dn;
  std::multimap<std::string, std::string> values;  // attribute name lower-cased

  std::vector<std::string> All(std::string_view attribute) const;
  std::string First(std::string_view attribute) const;  // empty when absent
};

std::vector<LdifEntry> ParseLdif(std::string_view text);

}  // namespace nestwalk::e2e

#endif  // NESTWALK_TESTS_E2E_SUPPORT_LDIF_READER_H_
