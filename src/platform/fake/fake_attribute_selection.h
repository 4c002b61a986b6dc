// Which attributes, and which of their values, a search returns of one entry: the requested
// names (all when none), names only on request, and AD's ranged retrieval of large values.
#ifndef NESTWALK_PLATFORM_FAKE_FAKE_ATTRIBUTE_SELECTION_H_
#define NESTWALK_PLATFORM_FAKE_FAKE_ATTRIBUTE_SELECTION_H_

#include <string>
#include <vector>

#include "platform/directory.h"

namespace nestwalk::fake {

// Returns the attributes of `attributes` that a request for `requested` gets, in the entry's
// order. An empty list or "*" asks for all. `maxValues` > 0 caps the values of one attribute as
// AD does: more values come back as "<name>;range=0-<maxValues-1>". A request for
// "<name>;range=<lo>-<hi>" or "<name>;range=<lo>-*" gets that slice (at most `maxValues`), named
// with its real upper bound, or with "-*" when the slice holds the last value; a slice that
// starts past the last value returns nothing. With `attributesOnly` every value is dropped.
std::vector<platform::Attribute> SelectAttributes(
    const std::vector<platform::Attribute>& attributes, const std::vector<std::string>& requested,
    bool attributesOnly, int maxValues);

}  // namespace nestwalk::fake

#endif  // NESTWALK_PLATFORM_FAKE_FAKE_ATTRIBUTE_SELECTION_H_
