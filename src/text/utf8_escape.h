// Making directory and command-line bytes safe where they are written: only UTF-8 where only
// UTF-8 may go (the JSON and CSV reports), no control characters where a terminal may show them.
#ifndef NESTWALK_TEXT_UTF8_ESCAPE_H_
#define NESTWALK_TEXT_UTF8_ESCAPE_H_

#include <string>
#include <string_view>

namespace nestwalk {

// `text` with every byte that is not part of a well-formed UTF-8 sequence (RFC 3629: no
// overlong forms, no surrogates, nothing above U+10FFFF) written as a backslash and two
// upper-case hex digits, "\C4". Well-formed sequences and every ASCII byte pass unchanged. In a
// DN this is the DN's own escape of the same byte; a sAMAccountName can hold no backslash.
std::string EscapeInvalidUtf8(std::string_view text);
// Whether EscapeInvalidUtf8 would leave `text` as it is; ASCII eight bytes at a time.
bool IsWellFormedUtf8(std::string_view text);

// `text` with every control character (bytes 0x00 to 0x1F and 0x7F) written the same way, "\1B",
// except line ends and tabs when `keepLayout`. Every other byte passes unchanged.
std::string EscapeControlCharacters(std::string_view text, bool keepLayout);
// Whether EscapeControlCharacters would change `text`; eight bytes at a time.
bool HoldsControlCharacters(std::string_view text, bool keepLayout);

}  // namespace nestwalk

#endif  // NESTWALK_TEXT_UTF8_ESCAPE_H_
