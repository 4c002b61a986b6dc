#include "platform/fake/fake_attribute_selection.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <optional>

#include "text/case_folding.h"

namespace nestwalk::fake {

namespace {

constexpr std::size_t kNoUpperBound = std::numeric_limits<std::size_t>::max();

// One entry of the request list, "memberOf" or "memberOf;range=1500-*".
struct Wanted {
  std::string name;
  std::size_t low = 0;
  std::size_t high = kNoUpperBound;
  bool ranged = false;
};

std::optional<std::size_t> AsIndex(std::string_view text) {
  std::size_t value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || text.empty()) {
    return std::nullopt;
  }
  return value;
}

Wanted ParseWanted(const std::string& requested) {
  static constexpr std::string_view kRange = ";range=";
  std::string lower = LowerCaseText(requested);
  std::size_t at = lower.find(kRange);
  if (at == std::string::npos) return Wanted{requested};
  std::string_view bounds = std::string_view(requested).substr(at + kRange.size());
  std::size_t dash = bounds.find('-');
  std::optional<std::size_t> low = AsIndex(bounds.substr(0, dash));
  if (dash == std::string_view::npos || !low) return Wanted{requested};
  std::string_view upper = bounds.substr(dash + 1);
  std::optional<std::size_t> high = upper == "*" ? kNoUpperBound : AsIndex(upper);
  if (!high || *high < *low) return Wanted{requested};
  return Wanted{requested.substr(0, at), *low, *high, true};
}

// Appends `attribute`, or the slice of it that `wanted` and the value cap allow.
void AppendSlice(std::vector<platform::Attribute>& out, const platform::Attribute& attribute,
                 const Wanted& wanted, bool attributesOnly, int maxValues) {
  std::size_t count = attribute.values.size();
  std::size_t cap = maxValues > 0 ? static_cast<std::size_t>(maxValues) : kNoUpperBound;
  if (!wanted.ranged && count <= cap) {
    out.push_back(attribute);
  } else {
    if (wanted.low >= count) return;
    std::size_t high = std::min(wanted.high, count - 1);
    if (high - wanted.low >= cap) high = wanted.low + cap - 1;
    std::string upper = high == count - 1 ? "*" : std::to_string(high);
    out.push_back(
        platform::Attribute{attribute.name + ";range=" + std::to_string(wanted.low) + "-" + upper,
                            std::vector<std::string>(
                                attribute.values.begin() + static_cast<std::ptrdiff_t>(wanted.low),
                                attribute.values.begin() + static_cast<std::ptrdiff_t>(high) + 1)});
  }
  if (attributesOnly) out.back().values.clear();
}

}  // namespace

std::vector<platform::Attribute> SelectAttributes(
    const std::vector<platform::Attribute>& attributes, const std::vector<std::string>& requested,
    bool attributesOnly, int maxValues) {
  std::vector<Wanted> wanted;
  bool all = requested.empty();
  for (const std::string& name : requested) {
    if (name == "*") all = true;
    wanted.push_back(ParseWanted(name));
  }
  std::vector<platform::Attribute> out;
  for (const platform::Attribute& attribute : attributes) {
    std::string lower = LowerCaseText(attribute.name);
    bool named = false;
    for (const Wanted& w : wanted) {
      if (LowerCaseText(w.name) != lower) continue;
      named = true;
      AppendSlice(out, attribute, w, attributesOnly, maxValues);
    }
    if (all && !named)
      AppendSlice(out, attribute, Wanted{attribute.name}, attributesOnly, maxValues);
  }
  return out;
}

}  // namespace nestwalk::fake
