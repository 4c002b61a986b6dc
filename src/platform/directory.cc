#include "platform/directory.h"

#include <algorithm>
#include <charconv>

namespace nestwalk::platform {

namespace {

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  auto fold = [](unsigned char c) { return (c >= 'A' && c <= 'Z') ? c + ('a' - 'A') : c; };
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) {
           return fold(static_cast<unsigned char>(x)) == fold(static_cast<unsigned char>(y));
         });
}

}  // namespace

const std::vector<std::string>* Entry::Find(std::string_view name) const {
  for (const Attribute& attribute : attributes) {
    if (EqualsIgnoringAsciiCase(attribute.name, name)) return &attribute.values;
  }
  return nullptr;
}

std::optional<std::string> Entry::First(std::string_view name) const {
  const std::vector<std::string>* values = Find(name);
  if (values == nullptr || values->empty()) return std::nullopt;
  return values->front();
}

std::optional<int> Entry::FirstNumber(std::string_view name) const {
  const std::optional<std::string> text = First(name);
  if (!text) return std::nullopt;
  int number = 0;
  const char* end = text->data() + text->size();
  const auto [stop, error] = std::from_chars(text->data(), end, number);
  if (error != std::errc() || stop != end) return std::nullopt;
  return number;
}

}  // namespace nestwalk::platform
