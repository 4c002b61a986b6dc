#include "support/ldif_reader.h"

#include <algorithm>
#include <cctype>

namespace nestwalk::e2e {
namespace {

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

std::string DecodeBase64(std::string_view text) {
  std::string bytes;
  unsigned bits = 0;
  int count = 0;
  for (char c : text) {
    int value = -1;
    if (c >= 'A' && c <= 'Z') value = c - 'A';
    if (c >= 'a' && c <= 'z') value = c - 'a' + 26;
    if (c >= '0' && c <= '9') value = c - '0' + 52;
    if (c == '+') value = 62;
    if (c == '/') value = 63;
    if (value < 0) continue;  // padding and blanks
    bits = (bits << 6) | static_cast<unsigned>(value);
    count += 6;
    if (count >= 8) {
      count -= 8;
      bytes.push_back(static_cast<char>((bits >> count) & 0xFF));
    }
  }
  return bytes;
}

// Joins folded lines (a continuation starts with one blank) into logical lines.
std::vector<std::string> LogicalLines(std::string_view text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    if (!line.empty() && line.front() == ' ' && !lines.empty() && !lines.back().empty()) {
      lines.back().append(line.substr(1));
    } else {
      lines.emplace_back(line);
    }
    start = end + 1;
  }
  return lines;
}

}  // namespace

std::vector<std::string> LdifEntry::All(std::string_view attribute) const {
  std::vector<std::string> found;
  auto [first, last] = values.equal_range(Lower(std::string(attribute)));
  for (auto it = first; it != last; ++it) found.push_back(it->second);
  return found;
}

std::string LdifEntry::First(std::string_view attribute) const {
  auto it = values.find(Lower(std::string(attribute)));
  return it == values.end() ? std::string() : it->second;
}

std::vector<LdifEntry> ParseLdif(std::string_view text) {
  std::vector<LdifEntry> entries;
  bool in_entry = false;
  for (const std::string& line : LogicalLines(text)) {
    if (line.empty()) {
      in_entry = false;
      continue;
    }
    if (line.front() == '#') continue;
    const size_t colon = line.find(':');
    if (colon == std::string::npos) continue;
    std::string name = Lower(line.substr(0, colon));
    std::string value;
    if (colon + 1 < line.size() && line[colon + 1] == ':') {
      value = DecodeBase64(std::string_view(line).substr(colon + 2));
    } else {
      size_t from = colon + 1;
      while (from < line.size() && line[from] == ' ') ++from;
      value = line.substr(from);
    }
    if (name == "dn") {
      entries.push_back(LdifEntry{value, {}});
      in_entry = true;
    } else if (in_entry) {
      entries.back().values.emplace(std::move(name), std::move(value));
    }
  }
  return entries;
}

}  // namespace nestwalk::e2e
