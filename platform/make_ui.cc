#include <iostream>

#include "platform/ui.h"
#include "platform/window_ui.h"

namespace platform {

std::unique_ptr<Ui> make_ui(std::ostream& out, std::ostream& err) {
#ifdef _WIN32
  (void)out;
  return make_win32_ui(err);
#else
#ifdef PLATFORM_HAVE_FLTK
  if (std::unique_ptr<Ui> window = make_fltk_ui()) return window;
#endif
  return make_console_ui(out, err);
#endif
}

}  // namespace platform
