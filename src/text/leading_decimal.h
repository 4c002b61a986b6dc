// Reading the number at the start of a text, the way a "%d" scan reads it.
#ifndef NESTWALK_TEXT_LEADING_DECIMAL_H_
#define NESTWALK_TEXT_LEADING_DECIMAL_H_

#include <string_view>

namespace nestwalk {

// Skips leading white space, takes an optional sign, then decimal digits up to the first other
// byte. No digits give 0. A value beyond the int range gives the nearest int limit instead of
// wrapping, so a huge number never reads as a small one.
int LeadingDecimal(std::string_view text);

}  // namespace nestwalk

#endif  // NESTWALK_TEXT_LEADING_DECIMAL_H_
