// Test support: the wire form of DNS names, for building DNS messages and ping answers.
#ifndef NESTWALK_PLATFORM_LINUX_DNS_NAME_FIXTURE_H_
#define NESTWALK_PLATFORM_LINUX_DNS_NAME_FIXTURE_H_

#include <cstdint>
#include <string>

namespace nestwalk::platform {

// An uncompressed RFC 1035 name: each label behind its length, then a zero byte ("" is the
// root, one zero byte).
inline std::string DnsName(const std::string& dotted) {
  std::string out;
  std::size_t start = 0;
  while (start < dotted.size()) {
    std::size_t dot = dotted.find('.', start);
    if (dot == std::string::npos) dot = dotted.size();
    out += static_cast<char>(dot - start);
    out += dotted.substr(start, dot - start);
    start = dot + 1;
  }
  return out + '\0';
}

// A compression pointer to `offset`.
inline std::string DnsPointer(std::uint16_t offset) {
  return {static_cast<char>(0xC0 | offset >> 8), static_cast<char>(offset & 0xFF)};
}

}  // namespace nestwalk::platform

#endif  // NESTWALK_PLATFORM_LINUX_DNS_NAME_FIXTURE_H_
