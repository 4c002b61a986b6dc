// Looking for bytes eight at a time: a review writes millions of lines, and each is checked for
// bytes that must be escaped before it is written.
#ifndef NESTWALK_TEXT_BYTE_SCAN_H_
#define NESTWALK_TEXT_BYTE_SCAN_H_

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace nestwalk::byte_scan {

using Word = std::uint64_t;
inline constexpr Word kOnes = 0x0101010101010101;
inline constexpr Word kHighs = 0x8080808080808080;

// Non-zero exactly when a byte of `word` is below `limit`, which is at most 0x80.
constexpr Word Below(Word word, Word limit) { return (word - kOnes * limit) & ~word & kHighs; }
// Non-zero exactly when a byte of `word` is `byte`.
constexpr Word Holds(Word word, unsigned char byte) { return Below(word ^ (kOnes * byte), 1); }
// Non-zero exactly when a byte of `word` is 0x80 or above.
constexpr Word High(Word word) { return word & kHighs; }

// Whether a byte of `text` is one `matches` holds for: `inWord` tells it of eight bytes at a time
// (it may be true of a word that has none only if `matches` is then asked of its bytes), and
// `matches` of the bytes past the last whole eight.
template <typename InWord, typename Matches>
bool AnyByte(std::string_view text, InWord inWord, Matches matches) {
  std::size_t at = 0;
  for (; at + sizeof(Word) <= text.size(); at += sizeof(Word)) {
    Word word;
    std::memcpy(&word, text.data() + at, sizeof word);
    if (inWord(word) && std::ranges::any_of(text.substr(at, sizeof word), matches)) return true;
  }
  return std::ranges::any_of(text.substr(at), matches);
}

}  // namespace nestwalk::byte_scan

#endif  // NESTWALK_TEXT_BYTE_SCAN_H_
