#include "platform/directory.h"

#include <algorithm>

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

}  // namespace nestwalk::platform
