// The paging loop shared by the configuration-partition readers: one paged search, walked page
// by page, with its three "DEBUG: " trace lines on standard output.
#ifndef NESTWALK_LOCATE_PAGED_WALK_H_
#define NESTWALK_LOCATE_PAGED_WALK_H_

#include <functional>

#include "platform/console.h"
#include "platform/directory.h"

namespace nestwalk {

// Starts a paged search of `request` over `connection` (pages of platform::kPageSize entries)
// and hands every entry to `visit`, in the order received. One page is held at a time; it is
// released before the next one is requested. A search that cannot start, and any non-zero page
// status (the end of the results among them), end the walk without a message. Returns
// kLdapSuccess when the results ran out, the page status that ended the walk otherwise, and
// kLdapLocalError when the search could not start. When `stop` is given and holds before a
// page is asked for, the walk ends there with kLdapSuccess.
int WalkPagedSearch(Console& console, platform::Directory& directory,
                    platform::LdapHandle connection, const platform::SearchRequest& request,
                    const std::function<void(const platform::Entry&)>& visit,
                    const std::function<bool()>& stop = {});

}  // namespace nestwalk

#endif  // NESTWALK_LOCATE_PAGED_WALK_H_
