// UTF-8, the program's text, to and from UTF-16, the text of the Windows API,
// and the system's own words for an error code.
#pragma once
#ifdef _WIN32

#include <string>
#include <string_view>

namespace platform {

// False when `utf8` is not valid UTF-8.
bool widen(std::string_view utf8, std::wstring* wide);
// Unpaired surrogates become U+FFFD.
std::string narrow(std::wstring_view wide);

// FormatMessage's text for a GetLastError() code, without the line end.
std::string system_message(unsigned long code);

}  // namespace platform

#endif  // _WIN32
