#ifdef _WIN32

#include <windows.h>

#include "platform/cp1252.h"
#include "platform/cp1252_bytes.h"
#include "platform/win32_text.h"

namespace platform {
namespace {

constexpr UINT kCp1252 = 1252;
const char kTo[] = "convert to Windows-1252";
const char kFrom[] = "convert from Windows-1252";

Error no_character(size_t at) {
  return Error{kTo, "", "no Windows-1252 character at byte " + std::to_string(at)};
}

// One UTF-16 text to Windows-1252. False when a character has no byte of its
// own: best-fit replacements ("A" for "Ā") are refused, not taken.
bool encode(std::wstring_view wide, std::string* bytes) {
  bytes->clear();
  if (wide.empty()) return true;
  BOOL used_default = FALSE;
  int n = ::WideCharToMultiByte(kCp1252, WC_NO_BEST_FIT_CHARS, wide.data(),
                                static_cast<int>(wide.size()), nullptr, 0, nullptr, &used_default);
  if (n <= 0 || used_default) return false;
  bytes->resize(static_cast<size_t>(n));
  ::WideCharToMultiByte(kCp1252, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()),
                        bytes->data(), n, nullptr, &used_default);
  if (used_default) return false;
  for (char c : *bytes)
    if (cp1252_undefined(static_cast<unsigned char>(c))) return false;
  return true;
}

// The UTF-8 offset of the first character that does not convert.
size_t first_failure(std::string_view utf8) {
  size_t at = 0;
  while (at < utf8.size()) {
    unsigned char lead = static_cast<unsigned char>(utf8[at]);
    size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
    std::wstring wide;
    std::string bytes;
    if (at + length > utf8.size() || !widen(utf8.substr(at, length), &wide) ||
        !encode(wide, &bytes))
      return at;
    at += length;
  }
  return at;
}

}  // namespace

Status to_cp1252(std::string_view utf8, std::string* bytes) {
  bytes->clear();
  std::wstring wide;
  if (!widen(utf8, &wide) || !encode(wide, bytes)) {
    bytes->clear();
    return no_character(first_failure(utf8));
  }
  return ok();
}

Status from_cp1252(std::string_view bytes, std::string* utf8) {
  utf8->clear();
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (cp1252_undefined(static_cast<unsigned char>(bytes[i])))
      return Error{kFrom, "", "undefined Windows-1252 byte at byte " + std::to_string(i)};
  }
  if (bytes.empty()) return ok();
  int n = ::MultiByteToWideChar(kCp1252, MB_ERR_INVALID_CHARS, bytes.data(),
                                static_cast<int>(bytes.size()), nullptr, 0);
  if (n <= 0) return Error{kFrom, "", system_message(::GetLastError())};
  std::wstring wide(static_cast<size_t>(n), L'\0');
  ::MultiByteToWideChar(kCp1252, MB_ERR_INVALID_CHARS, bytes.data(), static_cast<int>(bytes.size()),
                        wide.data(), n);
  *utf8 = narrow(wide);
  return ok();
}

}  // namespace platform

#endif  // _WIN32
