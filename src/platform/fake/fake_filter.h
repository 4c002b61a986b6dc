// RFC 4515 search filters as the fake forest understands them: parsing the text form and
// matching an entry against the parsed filter.
#ifndef NESTWALK_PLATFORM_FAKE_FAKE_FILTER_H_
#define NESTWALK_PLATFORM_FAKE_FAKE_FILTER_H_

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/directory.h"

namespace nestwalk::fake {

// One node of a parsed filter. Values hold the unescaped bytes.
struct Filter {
  enum class Kind { kAnd, kOr, kNot, kEquality, kPresence, kSubstrings, kBitwiseAnd };
  Kind kind = Kind::kPresence;
  std::vector<Filter> children;  // kAnd, kOr (any number), kNot (exactly one)
  std::string attribute;
  std::string value;                   // kEquality; the mask of kBitwiseAnd
  std::optional<std::string> initial;  // kSubstrings: a*b*c is initial a, any {b}, final c
  std::vector<std::string> any;
  std::optional<std::string> final;
};

// Parses `text`: &, |, !, equality, presence (attr=*), substrings, \xx escapes and the
// extensible match attr:1.2.840.113556.1.4.803:=mask. Like libldap it accepts one item without
// its parentheses, and an empty text means (objectClass=*). nullopt when the text is no filter
// of that grammar (the caller reports -7, "Bad search filter").
std::optional<Filter> ParseFilter(std::string_view text);

// Whether `entry` matches. Attribute names match ignoring ASCII case; values compare ignoring
// ASCII case except objectSid, which compares as bytes. Every entry has an objectClass for a
// presence test, as every directory object does.
bool Matches(const Filter& filter, const platform::Entry& entry);

}  // namespace nestwalk::fake

#endif  // NESTWALK_PLATFORM_FAKE_FAKE_FILTER_H_
