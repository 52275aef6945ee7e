#ifdef _WIN32

#include "platform/win32_text.h"

#include <windows.h>

namespace platform {

bool widen(std::string_view utf8, std::wstring* wide) {
  wide->clear();
  if (utf8.empty()) return true;
  int n = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(),
                                static_cast<int>(utf8.size()), nullptr, 0);
  if (n <= 0) return false;
  wide->resize(static_cast<size_t>(n));
  return ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(),
                               static_cast<int>(utf8.size()), wide->data(), n) == n;
}

std::string narrow(std::wstring_view wide) {
  if (wide.empty()) return "";
  int n = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                nullptr, nullptr);
  if (n <= 0) return "";
  std::string utf8(static_cast<size_t>(n), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(), n,
                        nullptr, nullptr);
  return utf8;
}

std::string system_message(unsigned long code) {
  wchar_t* buffer = nullptr;
  DWORD n = ::FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::wstring text = n > 0 && buffer ? std::wstring(buffer, n) : std::wstring();
  if (buffer) ::LocalFree(buffer);
  while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' '))
    text.pop_back();
  if (text.empty()) return "system error " + std::to_string(code);
  return narrow(text);
}

}  // namespace platform

#endif  // _WIN32
