#include "driver/account_list.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <optional>
#include <utility>

#include "text/case_folding.h"

namespace nestwalk {

namespace {

constexpr std::string_view kSpace = " \t\r\n\v\f";

std::string_view Trimmed(std::string_view text) {
  const std::size_t first = text.find_first_not_of(kSpace);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(kSpace) - first + 1);
}

// UTF-8 characters: every byte but the continuation bytes (10xxxxxx) starts one.
std::size_t CharacterCount(std::string_view text) {
  return static_cast<std::size_t>(std::ranges::count_if(
      text, [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

}  // namespace

std::variant<NoAccount, SecurityPrincipal, BadAccountLine> ParseAccountLine(std::string_view line) {
  if (line.find('\0') != std::string_view::npos) {
    return BadAccountLine{"the line holds a NUL byte"};
  }
  std::string_view text = Trimmed(line);
  if (text.empty() || text.front() == '#') return NoAccount{};
  PrincipalKind kind = PrincipalKind::kUser;
  static constexpr std::array<std::pair<std::string_view, PrincipalKind>, 3> kKinds{{
      {"user", PrincipalKind::kUser},
      {"computer", PrincipalKind::kComputer},
      {"group", PrincipalKind::kGroup},
  }};
  const std::string firstWord = LowerCaseText(text.substr(0, text.find_first_of(kSpace)));
  for (const auto& [word, named] : kKinds) {
    if (firstWord == word && text.size() > word.size()) {
      kind = named;
      text = Trimmed(text.substr(word.size()));
    }
  }
  std::optional<SecurityPrincipal> principal = NamedPrincipal(kind, std::string(text));
  // A flat domain name holds no white space: "printer CORP\\x" names no kind of account.
  if (!principal || principal->domain.empty() ||
      principal->domain.find_first_of(kSpace) != std::string::npos ||
      Trimmed(principal->samName).empty() || principal->samName == "$") {
    return BadAccountLine{"expected domain\\name, or user, computer or group and domain\\name"};
  }
  if (CharacterCount(principal->samName) > kMaxAccountNameCharacters) {
    return BadAccountLine{"the name is longer than " + std::to_string(kMaxAccountNameCharacters) +
                          " characters, the most AD allows"};
  }
  return *std::move(principal);
}

}  // namespace nestwalk
