#include "membership/member_of_ranges.h"

#include <charconv>
#include <limits>
#include <utility>

#include "ldap/ldap_error.h"
#include "text/case_folding.h"

namespace nestwalk {

namespace {

constexpr std::string_view kMemberOf = "memberOf";

std::optional<long long> ParseCount(std::string_view text) {
  long long value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value < 0) return std::nullopt;
  return value;
}

struct RangedValues {
  ValueRange range;
  const std::vector<std::string>* values = nullptr;
};

std::optional<RangedValues> FindRanged(const platform::Entry& entry, std::string_view type) {
  for (const platform::Attribute& attribute : entry.attributes) {
    if (std::optional<ValueRange> range = ParseValueRange(attribute.name, type)) {
      return RangedValues{*range, &attribute.values};
    }
  }
  return std::nullopt;
}

std::optional<RangedValues> FindRangedMemberOf(const platform::Entry& entry) {
  return FindRanged(entry, kMemberOf);
}

// The request for the piece of `type` that starts at value position `first`.
platform::SearchRequest RangeRequest(const platform::SearchRequest& read, long long first,
                                     std::string_view type) {
  platform::SearchRequest request = read;
  request.attributes = {std::string(type) + ";range=" + std::to_string(first) + "-*"};
  return request;
}

MemberOfValues ReportIncomplete(Console& console, const std::string& dn,
                                std::vector<std::string> values, std::string_view type) {
  console.Err("ERROR: Couldn't read all " + std::string(type) + " values of " + dn + "\n");
  return {std::move(values), false};
}

}  // namespace

std::optional<ValueRange> ParseValueRange(std::string_view attributeName, std::string_view type) {
  const std::string prefix = LowerCaseText(type) + ";range=";
  if (LowerCaseText(attributeName.substr(0, prefix.size())) != prefix) return std::nullopt;
  std::string_view bounds = attributeName.substr(prefix.size());
  std::size_t dash = bounds.find('-');
  if (dash == std::string_view::npos) return std::nullopt;
  std::optional<long long> first = ParseCount(bounds.substr(0, dash));
  if (!first) return std::nullopt;
  std::string_view lastText = bounds.substr(dash + 1);
  if (lastText == "*") return ValueRange{*first, std::nullopt};
  std::optional<long long> last = ParseCount(lastText);
  if (!last || *last < *first) return std::nullopt;
  return ValueRange{*first, *last};
}

const std::vector<std::string>* MemberOfPiece(const platform::Entry& entry) {
  if (const std::vector<std::string>* plain = entry.Find(kMemberOf)) return plain;
  std::optional<RangedValues> piece = FindRangedMemberOf(entry);
  return piece ? piece->values : nullptr;
}

std::optional<platform::SearchRequest> FollowingRangeRequest(const platform::SearchRequest& read,
                                                             const platform::Entry& entry) {
  if (entry.Find(kMemberOf) != nullptr) return std::nullopt;
  std::optional<RangedValues> piece = FindRangedMemberOf(entry);
  if (!piece || !piece->range.last ||
      *piece->range.last == std::numeric_limits<long long>::max()) {
    return std::nullopt;
  }
  return RangeRequest(read, *piece->range.last + 1, kMemberOf);
}

MemberOfValues CollectMemberOf(Console& console, platform::Directory& directory,
                               platform::LdapHandle connection, const platform::SearchRequest& read,
                               const platform::Entry& entry) {
  return CollectRangedValues(console, directory, connection, read, entry, kMemberOf);
}

MemberOfValues CollectRangedValues(Console& console, platform::Directory& directory,
                                   platform::LdapHandle connection,
                                   const platform::SearchRequest& read,
                                   const platform::Entry& entry, std::string_view type) {
  if (const std::vector<std::string>* plain = entry.Find(type)) return {*plain};
  std::optional<RangedValues> piece = FindRanged(entry, type);
  if (!piece) return {};

  std::vector<std::string> values = *piece->values;
  std::optional<long long> last = piece->range.last;
  while (last) {
    // The bounds come from the server: one at the top of the range has no next piece to ask for.
    if (*last == std::numeric_limits<long long>::max()) {
      return ReportIncomplete(console, read.base, std::move(values), type);
    }
    const long long next = *last + 1;
    platform::SearchResult result = directory.Search(connection, RangeRequest(read, next, type));
    if (result.code != platform::kLdapSuccess) {
      ReportSearchFailure(console, directory, result);
      return ReportIncomplete(console, read.base, std::move(values), type);
    }
    std::optional<RangedValues> following;
    if (result.entries.size() == 1) following = FindRanged(result.entries.front(), type);
    // A piece must start where the last one ended and, unless final, bring values: so every
    // request advances and a misbehaving server cannot keep the loop going.
    if (!following || following->range.first != next ||
        (following->range.last && following->values->empty())) {
      return ReportIncomplete(console, read.base, std::move(values), type);
    }
    values.insert(values.end(), following->values->begin(), following->values->end());
    last = following->range.last;
  }
  return {std::move(values)};
}

}  // namespace nestwalk
