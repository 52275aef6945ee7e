// The window implementations of Ui, which make_ui chooses between.
#pragma once

#include <iosfwd>
#include <memory>

#include "platform/ui.h"

namespace platform {

#ifdef _WIN32
// Windows: the window and MessageBoxW. Where no window can be created (no
// desktop), the work goes on without it, and the message goes to `err`.
std::unique_ptr<Ui> make_win32_ui(std::ostream& err);
#elif defined(PLATFORM_HAVE_FLTK)
// FLTK on X11; nullptr when no display can be opened, tested before the
// toolkit is touched (it would end the process on its own).
std::unique_ptr<Ui> make_fltk_ui();
#endif

}  // namespace platform
