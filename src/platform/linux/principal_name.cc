#include "platform/linux/principal_name.h"

namespace nestwalk::platform {
namespace {

char Unescaped(char c) {
  switch (c) {
    case 'n':
      return '\n';
    case 't':
      return '\t';
    case 'b':
      return '\b';
    case '0':
      return '\0';
    default:
      return c;
  }
}

}  // namespace

std::optional<PrincipalParts> SplitPrincipalName(std::string_view text) {
  PrincipalParts parts;
  std::string* into = &parts.name;
  bool inFirstComponent = true;
  bool inRealm = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '\\') {
      if (++i == text.size()) return std::nullopt;
      c = Unescaped(text[i]);
    } else if (c == '@' && !inRealm) {
      inRealm = true;
      into = &parts.realm;
      continue;
    } else if (c == '/' && !inRealm) {
      inFirstComponent = false;
      continue;
    }
    if (inRealm || inFirstComponent) into->push_back(c);
  }
  if (parts.name.empty() || parts.realm.empty()) return std::nullopt;
  return parts;
}

}  // namespace nestwalk::platform
