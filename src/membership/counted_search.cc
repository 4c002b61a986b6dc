#include "membership/counted_search.h"

#include <string>
#include <utility>

#include "ldap/ldap_error.h"

namespace nestwalk {

std::optional<std::vector<platform::Entry>> CountedSearch(Console& console,
                                                          platform::Directory& directory,
                                                          platform::LdapHandle connection,
                                                          const platform::SearchRequest& request) {
  platform::SearchResult result = directory.Search(connection, request);
  if (result.code != platform::kLdapSuccess) {
    ReportSearchFailure(console, directory, result);
    return std::nullopt;
  }
  console.DebugErr(std::to_string(result.entries.size()) + " entries returned\n");
  return std::move(result.entries);
}

}  // namespace nestwalk
