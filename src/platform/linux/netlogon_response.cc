#include "platform/linux/netlogon_response.h"

#include <cstddef>

namespace nestwalk::platform {
namespace {

constexpr std::size_t kHeaderSize = 24;  // opcode, sbz, flags, domain GUID
constexpr std::size_t kTrailerSize = 8;  // NtVersion, LmNtToken, Lm20Token
constexpr std::size_t kMaxNameLength = 255;
constexpr std::uint32_t kNtVersion5Ex = 0x4;
constexpr std::uint32_t kNtVersionWithIp = 0x8;
constexpr std::uint32_t kNtVersionWithClosestSite = 0x10;

std::uint16_t Read16(std::string_view bytes, std::size_t at) {
  return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[at]) |
                                    static_cast<unsigned char>(bytes[at + 1]) << 8);
}

std::uint32_t Read32(std::string_view bytes, std::size_t at) {
  return static_cast<std::uint32_t>(Read16(bytes, at)) |
         static_cast<std::uint32_t>(Read16(bytes, at + 2)) << 16;
}

// Reads the names of the body, which is blob[0, end): pointers may reach anywhere before the
// pointer itself, but reading never passes `end`.
class NameReader {
 public:
  NameReader(std::string_view blob, std::size_t start, std::size_t end)
      : blob_(blob), next_(start), end_(end) {}

  std::optional<std::string> Name() {
    std::string name;
    std::size_t at = next_;
    bool jumped = false;
    while (true) {
      if (at >= end_) return std::nullopt;
      const unsigned char length = static_cast<unsigned char>(blob_[at]);
      if (length == 0) {
        if (!jumped) next_ = at + 1;
        return name;
      }
      if ((length & 0xC0) == 0xC0) {
        if (at + 1 >= end_) return std::nullopt;
        const std::size_t target =
            (length & 0x3Fu) << 8 | static_cast<unsigned char>(blob_[at + 1]);
        // Strictly backwards, so pointers alone cannot loop; a pointer back to a label read
        // before it can, and the name length limit below ends such a walk.
        if (target >= at) return std::nullopt;
        if (!jumped) next_ = at + 2;
        jumped = true;
        at = target;
        continue;
      }
      if ((length & 0xC0) != 0) return std::nullopt;  // reserved label types
      if (at + 1 + length > end_) return std::nullopt;
      if (!name.empty()) name += '.';
      name.append(blob_.substr(at + 1, length));
      if (name.size() > kMaxNameLength) return std::nullopt;
      at += 1 + length;
    }
  }

  // The next `count` raw bytes, or nullopt when they are not all there.
  std::optional<std::string_view> Bytes(std::size_t count) {
    if (count > end_ - next_) return std::nullopt;
    std::string_view bytes = blob_.substr(next_, count);
    next_ += count;
    return bytes;
  }

 private:
  std::string_view blob_;
  std::size_t next_;
  std::size_t end_;
};

}  // namespace

std::optional<NetlogonResponse> ParseNetlogonResponse(std::string_view blob) {
  if (blob.size() < kHeaderSize + kTrailerSize) return std::nullopt;
  const std::size_t end = blob.size() - kTrailerSize;
  NetlogonResponse r;
  r.ntVersion = Read32(blob, end);
  if (Read16(blob, end + 4) != 0xFFFF || Read16(blob, end + 6) != 0xFFFF) return std::nullopt;
  if ((r.ntVersion & kNtVersion5Ex) == 0) return std::nullopt;
  r.opcode = Read16(blob, 0);
  r.flags = Read32(blob, 4);
  r.domainGuid = std::string(blob.substr(8, 16));

  NameReader reader(blob, kHeaderSize, end);
  std::string* const names[] = {&r.dnsForestName,     &r.dnsDomainName,       &r.dnsHostName,
                                &r.netbiosDomainName, &r.netbiosComputerName, &r.userName,
                                &r.dcSiteName,        &r.clientSiteName};
  for (std::string* field : names) {
    std::optional<std::string> name = reader.Name();
    if (!name) return std::nullopt;
    *field = std::move(*name);
  }
  if (r.ntVersion & kNtVersionWithIp) {
    std::optional<std::string_view> size = reader.Bytes(1);
    if (!size || !reader.Bytes(static_cast<unsigned char>((*size)[0]))) return std::nullopt;
  }
  if (r.ntVersion & kNtVersionWithClosestSite) {
    std::optional<std::string> name = reader.Name();
    if (!name) return std::nullopt;
    r.nextClosestSiteName = std::move(*name);
  }
  return r;
}

}  // namespace nestwalk::platform
