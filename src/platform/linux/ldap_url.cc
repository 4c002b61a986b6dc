#include "platform/linux/ldap_url.h"

namespace nestwalk::platform {

namespace {

bool IsPlainHostCharacter(unsigned char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '.' || c == '_' || c == '~';
}

void AppendEncoded(std::string& url, const std::string& text, bool keepColons) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  for (unsigned char c : text) {
    if (IsPlainHostCharacter(c) || (keepColons && c == ':')) {
      url += static_cast<char>(c);
    } else {
      url += '%';
      url += kHex[c >> 4];
      url += kHex[c & 0xF];
    }
  }
}

bool IsBracketed(const std::string& host) {
  return host.size() >= 2 && host.front() == '[' && host.back() == ']';
}

}  // namespace

std::optional<std::string> BuildLdapUrl(const std::optional<std::string>& host, int port,
                                        bool ssl) {
  if (!host || host->empty()) return std::nullopt;
  std::string url = ssl ? "ldaps://" : "ldap://";
  // An IPv6 literal goes into brackets whether or not the caller brought them.
  const bool bracketed = IsBracketed(*host);
  const bool literal = bracketed || host->find(':') != std::string::npos;
  if (literal) url += '[';
  AppendEncoded(url, bracketed ? host->substr(1, host->size() - 2) : *host, literal);
  if (literal) url += ']';
  if (port > 0) {
    url += ':';
    url += std::to_string(port);
  }
  return url;
}

}  // namespace nestwalk::platform
