#include "platform/fake/fake_filter.h"

#include <charconv>
#include <cstdint>

#include "text/case_folding.h"

namespace nestwalk::fake {

namespace {

constexpr std::string_view kBitwiseAndRule = "1.2.840.113556.1.4.803";

Filter Node(Filter::Kind kind, std::string attribute = {}, std::string value = {}) {
  Filter filter;
  filter.kind = kind;
  filter.attribute = std::move(attribute);
  filter.value = std::move(value);
  return filter;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Undoes the \xx escapes of one value piece; nullopt on a broken escape or a bare parenthesis.
std::optional<std::string> Unescape(std::string_view raw) {
  std::string bytes;
  for (std::size_t i = 0; i < raw.size(); ++i) {
    char c = raw[i];
    if (c == '(' || c == ')') return std::nullopt;
    if (c != '\\') {
      bytes.push_back(c);
      continue;
    }
    if (i + 2 >= raw.size()) return std::nullopt;
    int high = HexDigit(raw[i + 1]);
    int low = HexDigit(raw[i + 2]);
    if (high < 0 || low < 0) return std::nullopt;
    bytes.push_back(static_cast<char>(high * 16 + low));
    i += 2;
  }
  return bytes;
}

class Parser {
 public:
  explicit Parser(std::string_view text) : text_(text) {}

  std::optional<Filter> ParseAll() {
    std::optional<Filter> filter = ParseFilter();
    if (!filter || pos_ != text_.size()) return std::nullopt;
    return filter;
  }

 private:
  std::optional<Filter> ParseFilter() {
    if (!Take('(')) return std::nullopt;
    std::optional<Filter> filter;
    if (Take('&')) {
      filter = ParseList(Filter::Kind::kAnd);
    } else if (Take('|')) {
      filter = ParseList(Filter::Kind::kOr);
    } else if (Take('!')) {
      std::optional<Filter> child = ParseFilter();
      if (child) {
        filter = Node(Filter::Kind::kNot);
        filter->children.push_back(std::move(*child));
      }
    } else {
      filter = ParseItem();
    }
    if (!filter || !Take(')')) return std::nullopt;
    return filter;
  }

  std::optional<Filter> ParseList(Filter::Kind kind) {
    Filter list = Node(kind);
    while (pos_ < text_.size() && text_[pos_] == '(') {
      std::optional<Filter> child = ParseFilter();
      if (!child) return std::nullopt;
      list.children.push_back(std::move(*child));
    }
    return list;
  }

  std::optional<Filter> ParseItem() {
    std::size_t end = text_.find_first_of("=()", pos_);
    if (end == std::string_view::npos || text_[end] != '=') return std::nullopt;
    std::string_view description = text_.substr(pos_, end - pos_);
    pos_ = end + 1;
    std::size_t close = text_.find(')', pos_);
    if (close == std::string_view::npos) return std::nullopt;
    std::string_view raw = text_.substr(pos_, close - pos_);
    pos_ = close;
    if (description.empty()) return std::nullopt;
    char last = description.back();
    if (last == '~' || last == '>' || last == '<') return std::nullopt;  // not modelled
    if (last == ':') return ParseExtensible(description.substr(0, description.size() - 1), raw);
    if (description.find(':') != std::string_view::npos) return std::nullopt;
    return ParseValueAssertion(std::string(description), raw);
  }

  static std::optional<Filter> ParseExtensible(std::string_view description, std::string_view raw) {
    std::size_t colon = description.find(':');
    if (colon == std::string_view::npos || description.substr(colon + 1) != kBitwiseAndRule ||
        colon == 0) {
      return std::nullopt;
    }
    std::optional<std::string> mask = Unescape(raw);
    if (!mask) return std::nullopt;
    return Node(Filter::Kind::kBitwiseAnd, std::string(description.substr(0, colon)),
                std::move(*mask));
  }

  static std::optional<Filter> ParseValueAssertion(std::string attribute, std::string_view raw) {
    if (raw == "*") return Node(Filter::Kind::kPresence, std::move(attribute));
    std::vector<std::string> pieces;
    std::size_t start = 0;
    while (true) {
      std::size_t star = raw.find('*', start);
      std::optional<std::string> piece = Unescape(raw.substr(start, star - start));
      if (!piece) return std::nullopt;
      pieces.push_back(std::move(*piece));
      if (star == std::string_view::npos) break;
      start = star + 1;
    }
    if (pieces.size() == 1) {
      return Node(Filter::Kind::kEquality, std::move(attribute), std::move(pieces.front()));
    }
    Filter substrings = Node(Filter::Kind::kSubstrings, std::move(attribute));
    if (!pieces.front().empty()) substrings.initial = pieces.front();
    if (!pieces.back().empty()) substrings.final = pieces.back();
    for (std::size_t i = 1; i + 1 < pieces.size(); ++i) {
      if (pieces[i].empty()) return std::nullopt;  // "a**b" has an empty middle piece
      substrings.any.push_back(pieces[i]);
    }
    return substrings;
  }

  bool Take(char c) {
    if (pos_ >= text_.size() || text_[pos_] != c) return false;
    ++pos_;
    return true;
  }

  std::string_view text_;
  std::size_t pos_ = 0;
};

bool ComparesAsBytes(std::string_view attribute) { return LowerCaseText(attribute) == "objectsid"; }

std::string Normalised(std::string_view attribute, std::string_view value) {
  return ComparesAsBytes(attribute) ? std::string(value) : LowerCaseText(value);
}

bool MatchesSubstrings(const Filter& filter, const std::string& value) {
  std::string_view rest = value;
  auto piece = [&](const std::string& text) { return Normalised(filter.attribute, text); };
  if (filter.initial) {
    std::string initial = piece(*filter.initial);
    if (!rest.starts_with(initial)) return false;
    rest.remove_prefix(initial.size());
  }
  for (const std::string& any : filter.any) {
    std::size_t at = rest.find(piece(any));
    if (at == std::string_view::npos) return false;
    rest.remove_prefix(at + any.size());
  }
  return !filter.final || rest.ends_with(piece(*filter.final));
}

std::optional<std::uint32_t> AsNumber(std::string_view text) {
  std::int64_t number = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (error != std::errc() || end != text.data() + text.size() || text.empty()) {
    return std::nullopt;
  }
  return static_cast<std::uint32_t>(number);
}

bool MatchesValue(const Filter& filter, const std::string& stored) {
  switch (filter.kind) {
    case Filter::Kind::kEquality:
      return Normalised(filter.attribute, stored) == Normalised(filter.attribute, filter.value);
    case Filter::Kind::kSubstrings:
      return MatchesSubstrings(filter, Normalised(filter.attribute, stored));
    case Filter::Kind::kBitwiseAnd: {
      std::optional<std::uint32_t> value = AsNumber(stored);
      std::optional<std::uint32_t> mask = AsNumber(filter.value);
      return value && mask && (*value & *mask) == *mask;
    }
    default:
      return false;
  }
}

}  // namespace

std::optional<Filter> ParseFilter(std::string_view text) {
  if (text.empty()) return Node(Filter::Kind::kPresence, "objectClass");
  if (text.front() == '(') return Parser(text).ParseAll();
  std::string wrapped(1, '(');
  wrapped.append(text).push_back(')');
  return Parser(wrapped).ParseAll();
}

bool Matches(const Filter& filter, const platform::Entry& entry) {
  switch (filter.kind) {
    case Filter::Kind::kAnd:
      for (const Filter& child : filter.children) {
        if (!Matches(child, entry)) return false;
      }
      return true;
    case Filter::Kind::kOr:
      for (const Filter& child : filter.children) {
        if (Matches(child, entry)) return true;
      }
      return false;
    case Filter::Kind::kNot:
      return !Matches(filter.children.front(), entry);
    case Filter::Kind::kPresence: {
      if (LowerCaseText(filter.attribute) == "objectclass") return true;
      const std::vector<std::string>* values = entry.Find(filter.attribute);
      return values != nullptr && !values->empty();
    }
    default: {
      // Every entry has its DN as an attribute, as on AD.
      if (LowerCaseText(filter.attribute) == "distinguishedname") {
        return MatchesValue(filter, entry.dn);
      }
      const std::vector<std::string>* values = entry.Find(filter.attribute);
      if (values == nullptr) return false;
      for (const std::string& value : *values) {
        if (MatchesValue(filter, value)) return true;
      }
      return false;
    }
  }
}

}  // namespace nestwalk::fake
