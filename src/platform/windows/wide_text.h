// The one conversion between the program's UTF-8 texts and the UTF-16 texts of the Windows
// wide (W) entry points, so that names outside any ANSI code page are sent and read intact.
#ifndef NESTWALK_PLATFORM_WINDOWS_WIDE_TEXT_H_
#define NESTWALK_PLATFORM_WINDOWS_WIDE_TEXT_H_

#include <string>
#include <string_view>

namespace nestwalk::platform {

// A byte that is no part of a UTF-8 sequence becomes U+FFFD.
std::wstring WideFromUtf8(std::string_view text);

// A lone surrogate becomes U+FFFD. A null pointer gives an empty text.
std::string Utf8FromWide(std::wstring_view text);
std::string Utf8FromWide(const wchar_t* text);

}  // namespace nestwalk::platform

#endif  // NESTWALK_PLATFORM_WINDOWS_WIDE_TEXT_H_
