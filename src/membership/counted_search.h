// The synchronous search every membership read makes, with its two standard reports.
#ifndef NESTWALK_MEMBERSHIP_COUNTED_SEARCH_H_
#define NESTWALK_MEMBERSHIP_COUNTED_SEARCH_H_

#include <optional>
#include <vector>

#include "platform/console.h"
#include "platform/directory.h"

namespace nestwalk {

// Runs `request` over `connection`. A failed search writes the search failure lines and gives
// nullopt; otherwise, in debug mode, "<n> entries returned\n" comes first, and the entries are
// returned in the order received.
std::optional<std::vector<platform::Entry>> CountedSearch(Console& console,
                                                          platform::Directory& directory,
                                                          platform::LdapHandle connection,
                                                          const platform::SearchRequest& request);

}  // namespace nestwalk

#endif  // NESTWALK_MEMBERSHIP_COUNTED_SEARCH_H_
