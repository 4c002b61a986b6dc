#include "locate/paged_walk.h"

#include <memory>
#include <vector>

namespace nestwalk {

int WalkPagedSearch(Console& console, platform::Directory& directory,
                    platform::LdapHandle connection, const platform::SearchRequest& request,
                    const std::function<void(const platform::Entry&)>& visit,
                    const std::function<bool()>& stop) {
  std::unique_ptr<platform::PagedSearch> search =
      directory.StartPagedSearch(connection, request, platform::kPageSize);
  console.DebugOut("DEBUG: Search Initialized...\n");
  if (search == nullptr) return platform::kLdapLocalError;
  console.DebugOut("DEBUG: Have valid Search Handle...\n");
  for (;;) {
    if (stop && stop()) return platform::kLdapSuccess;
    console.DebugOut("DEBUG: Retrieving Page...\n");
    // Scoped to one iteration, so a page is gone before the next is asked for.
    std::vector<platform::Entry> page;
    if (int status = search->NextPage(page); status != platform::kLdapSuccess) {
      return status == platform::kLdapNoResultsReturned ? platform::kLdapSuccess : status;
    }
    for (const platform::Entry& entry : page) visit(entry);
  }
}

}  // namespace nestwalk
