// ASCII-only case folding of names that serve as map keys and search terms.
#ifndef NESTWALK_TEXT_CASE_FOLDING_H_
#define NESTWALK_TEXT_CASE_FOLDING_H_

#include <string>
#include <string_view>

namespace nestwalk {

// A copy with A-Z turned into a-z; every other byte, 0x80-0xFF included, unchanged.
std::string LowerCaseText(std::string_view text);
// The same, in place: for keys made again and again in one string.
void LowerCaseInPlace(std::string& text);

// A copy with a-z turned into A-Z, likewise ASCII only: Kerberos realms and NetBIOS names.
std::string UpperCaseText(std::string_view text);

}  // namespace nestwalk

#endif  // NESTWALK_TEXT_CASE_FOLDING_H_
