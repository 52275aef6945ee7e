#ifndef _WIN32

#include <errno.h>
#include <iconv.h>

#include <cstring>

#include "platform/cp1252.h"
#include "platform/cp1252_bytes.h"

namespace platform {
namespace {

Status convert(const char* to, const char* from, std::string_view in, std::string* out,
               const char* what) {
  out->clear();
  iconv_t cd = ::iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return Error{what, "", std::strerror(errno)};
  out->resize(in.size() * 3 + 16);
  char* in_ptr = const_cast<char*>(in.data());
  size_t in_left = in.size();
  char* out_ptr = out->data();
  size_t out_left = out->size();
  size_t result = ::iconv(cd, &in_ptr, &in_left, &out_ptr, &out_left);
  int err = errno;
  ::iconv_close(cd);
  if (result == static_cast<size_t>(-1)) {
    size_t at = in.size() - in_left;
    return Error{what, "",
                 std::string(err == EILSEQ || err == EINVAL ? "no Windows-1252 character"
                                                            : std::strerror(err)) +
                     " at byte " + std::to_string(at)};
  }
  out->resize(out->size() - out_left);
  return ok();
}

}  // namespace

Status to_cp1252(std::string_view utf8, std::string* bytes) {
  Status status = convert("CP1252", "UTF-8", utf8, bytes, "convert to Windows-1252");
  if (status) return status;
  for (size_t i = 0; i < bytes->size(); ++i) {
    if (cp1252_undefined(static_cast<unsigned char>((*bytes)[i])))
      return Error{"convert to Windows-1252", "",
                   "no Windows-1252 character at byte " + std::to_string(i)};
  }
  return ok();
}

Status from_cp1252(std::string_view bytes, std::string* utf8) {
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (cp1252_undefined(static_cast<unsigned char>(bytes[i])))
      return Error{"convert from Windows-1252", "",
                   "undefined Windows-1252 byte at byte " + std::to_string(i)};
  }
  // Plain ASCII is the same in both encodings; skip the converter for it.
  bool ascii = true;
  for (char c : bytes) ascii &= static_cast<unsigned char>(c) < 0x80;
  if (ascii) {
    utf8->assign(bytes);
    return ok();
  }
  return convert("UTF-8", "CP1252", bytes, utf8, "convert from Windows-1252");
}

}  // namespace platform

#endif  // !_WIN32
