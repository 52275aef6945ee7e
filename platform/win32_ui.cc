#ifdef _WIN32

#include <windows.h>

#include <atomic>
#include <ostream>
#include <string>
#include <thread>

#include "platform/form_layout.h"
#include "platform/program_path.h"
#include "platform/win32_text.h"
#include "platform/window_ui.h"

namespace platform {
namespace {

const wchar_t kFormClass[] = L"Form1Window";
constexpr ULONGLONG kActivationWaitMs = 2000;
constexpr DWORD kFormStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr DWORD kFormExStyle = 0;

std::wstring wide_or_empty(std::string_view utf8) {
  std::wstring wide;
  widen(utf8, &wide);
  return wide;
}

LRESULT CALLBACK form_procedure(HWND window, UINT message, WPARAM w, LPARAM l) {
  // The window offers no way to cancel the run: closing it does nothing.
  if (message == WM_CLOSE) return 0;
  return ::DefWindowProcW(window, message, w, l);
}

// Lets the system handle what showing or closing the window queued, so that
// it reaches the screen now rather than when the work is done.
void handle_pending_messages() {
  MSG message;
  while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
}

std::wstring window_text(HWND window) {
  int length = ::GetWindowTextLengthW(window);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  text.resize(static_cast<size_t>(::GetWindowTextW(window, text.data(), length + 1)));
  return text;
}

std::wstring class_name(HWND window) {
  wchar_t name[64] = {};
  ::GetClassNameW(window, name, 64);
  return name;
}

// What a message box shows, read from its controls.
struct BoxContents {
  std::wstring text, buttons;
  bool icon = false;
};

BOOL CALLBACK read_control(HWND control, LPARAM data) {
  auto* box = reinterpret_cast<BoxContents*>(data);
  if (!::IsWindowVisible(control)) return TRUE;
  std::wstring name = class_name(control);
  LONG style = ::GetWindowLongW(control, GWL_STYLE);
  if (_wcsicmp(name.c_str(), L"Button") == 0) {
    std::wstring label;
    for (wchar_t c : window_text(control))
      if (c != L'&') label += c;  // the mnemonic marker is not shown
    box->buttons += (box->buttons.empty() ? L"" : L", ") + label;
  } else if (_wcsicmp(name.c_str(), L"Static") == 0) {
    // Some systems keep an empty icon control in every box; only a loaded icon shows.
    if ((style & SS_TYPEMASK) == SS_ICON)
      box->icon |= ::SendMessageW(control, STM_GETICON, 0, 0) != 0;
    else if (::GetDlgCtrlID(control) == 0xFFFF)
      box->text = window_text(control);
  }
  return TRUE;
}

struct Search {
  HWND found = nullptr;
};

BOOL CALLBACK find_box(HWND window, LPARAM data) {
  if (::IsWindowVisible(window) && class_name(window) == L"#32770") {
    reinterpret_cast<Search*>(data)->found = window;
    return FALSE;
  }
  return TRUE;
}

// MS Sans Serif, 24 points, bold, as designed. Where the system substitutes
// a wider face (Wine does) and the text would be cut, the largest size at
// which it fits the label's `width` x `height` pixels.
HFONT fitting_font(const std::wstring& text, int width, int height, int dpi_y) {
  constexpr int kSmallestPoints = 8;
  HDC screen = ::GetDC(nullptr);
  for (int points = form::kLabelPoints;; --points) {
    HFONT font = ::CreateFontW(-form::points_to_pixels(points, dpi_y), 0, 0, 0, FW_BOLD, FALSE,
                               FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                               DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, L"MS Sans Serif");
    if (!font || !screen || points <= kSmallestPoints) {
      if (screen) ::ReleaseDC(nullptr, screen);
      return font;
    }
    HGDIOBJ previous = ::SelectObject(screen, font);
    SIZE size = {};
    const bool fits =
        ::GetTextExtentPoint32W(screen, text.c_str(), static_cast<int>(text.size()), &size) &&
        size.cx < width && size.cy <= height;
    ::SelectObject(screen, previous);
    if (fits) {
      ::ReleaseDC(nullptr, screen);
      return font;
    }
    ::DeleteObject(font);
  }
}

class Win32Ui final : public Ui {
 public:
  explicit Win32Ui(std::ostream& err)
      : err_(err), title_(wide_or_empty(application_name())), thread_(::GetCurrentThreadId()) {}

  ~Win32Ui() override {
    close_waiting();
    stop_reporting_ = true;
    if (reporter_.joinable()) reporter_.join();
  }

  void show_waiting(std::string_view label) override {
    if (form_) return;
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    WNDCLASSEXW window_class = {};
    window_class.cbSize = sizeof window_class;
    window_class.lpfnWndProc = form_procedure;
    window_class.hInstance = instance;
    window_class.hCursor = ::LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    window_class.lpszClassName = kFormClass;
    ::RegisterClassExW(&window_class);

    HDC screen = ::GetDC(nullptr);
    int dpi_x = screen ? ::GetDeviceCaps(screen, LOGPIXELSX) : 96;
    int dpi_y = screen ? ::GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen) ::ReleaseDC(nullptr, screen);
    auto x = [dpi_x](int twips) { return form::twips_to_pixels(twips, dpi_x); };
    auto y = [dpi_y](int twips) { return form::twips_to_pixels(twips, dpi_y); };

    // The design fixes the client area; the frame around it is the system's.
    RECT frame = {0, 0, x(form::kClientWidth), y(form::kClientHeight)};
    ::AdjustWindowRectEx(&frame, kFormStyle, FALSE, kFormExStyle);
    std::wstring caption = wide_or_empty(form::kCaption);
    form_ = ::CreateWindowExW(kFormExStyle, kFormClass, caption.c_str(), kFormStyle, CW_USEDEFAULT,
                              CW_USEDEFAULT, frame.right - frame.left, frame.bottom - frame.top,
                              nullptr, nullptr, instance, nullptr);
    if (!form_) return;  // no desktop to show it on: the work goes on without it

    std::wstring text = wide_or_empty(label);
    font_ = fitting_font(text, x(form::kLabelWidth), y(form::kLabelHeight), dpi_y);
    HWND label_control =
        ::CreateWindowExW(0, L"STATIC", text.c_str(), WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX,
                          x(form::kLabelLeft), y(form::kLabelTop), x(form::kLabelWidth),
                          y(form::kLabelHeight), form_, nullptr, instance, nullptr);
    if (label_control && font_)
      ::SendMessageW(label_control, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);

    ::ShowWindow(form_, SW_SHOWNORMAL);
    wait_until_active();
    // Paint the window and its label now: no message is handled during the work.
    ::UpdateWindow(form_);
    ::RedrawWindow(form_, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    handle_pending_messages();
    ::GdiFlush();
  }

  // Where the screen is drawn by another program (an X server under Wine),
  // the window shows only once that program has put it up; painting before
  // then is lost. It is up when the system makes it the active window, which
  // Windows itself does at once. Bounded, for a desktop that never does.
  void wait_until_active() {
    const ULONGLONG start = ::GetTickCount64();
    while (::GetForegroundWindow() != form_ && ::GetTickCount64() - start < kActivationWaitMs) {
      ::MsgWaitForMultipleObjectsEx(0, nullptr, 10, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
      handle_pending_messages();
    }
  }

  void show_waiting_note(std::string_view note) override {
    if (!form_) return;
    std::wstring text = wide_or_empty(note);
    if (!note_) {
      HDC screen = ::GetDC(nullptr);
      int dpi_x = screen ? ::GetDeviceCaps(screen, LOGPIXELSX) : 96;
      int dpi_y = screen ? ::GetDeviceCaps(screen, LOGPIXELSY) : 96;
      if (screen) ::ReleaseDC(nullptr, screen);
      note_ = ::CreateWindowExW(0, L"STATIC", text.c_str(),
                                WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX,
                                form::twips_to_pixels(form::kNoteLeft, dpi_x),
                                form::twips_to_pixels(form::kNoteTop, dpi_y),
                                form::twips_to_pixels(form::kNoteWidth, dpi_x),
                                form::twips_to_pixels(form::kNoteHeight, dpi_y), form_, nullptr,
                                ::GetModuleHandleW(nullptr), nullptr);
      if (note_)
        ::SendMessageW(note_, WM_SETFONT,
                       reinterpret_cast<WPARAM>(::GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    } else {
      ::SetWindowTextW(note_, text.c_str());
    }
    ::RedrawWindow(form_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    handle_pending_messages();
    ::GdiFlush();
  }

  void close_waiting() override {
    note_ = nullptr;  // the window's child, destroyed with it
    if (!form_) return;
    ::DestroyWindow(form_);
    form_ = nullptr;
    handle_pending_messages();
    if (font_) ::DeleteObject(font_);
    font_ = nullptr;
  }

  void message_box(std::string_view text) override {
    std::wstring wide = wide_or_empty(text);
    // No icon: MB_OK alone. The waiting window, when shown, owns the box.
    if (::MessageBoxW(form_, wide.c_str(), title_.empty() ? nullptr : title_.c_str(), MB_OK) == 0)
      err_ << text << std::endl;  // no box could be shown: the text still reaches the user
  }

  void report_failure(std::string_view text) override {
    std::wstring wide = wide_or_empty(text);
    if (::MessageBoxW(form_, wide.c_str(), title_.empty() ? nullptr : title_.c_str(),
                      MB_OK | MB_ICONERROR) == 0)
      err_ << text << std::endl;
  }

  void report_next_message_box(std::ostream& report) override {
    if (reporter_.joinable()) return;
    // MessageBoxW runs its own loop on this thread; look from another one.
    reporter_ = std::thread([this, &report] {
      for (int i = 0; i < 3000 && !stop_reporting_; ++i) {
        Search search;
        ::EnumThreadWindows(thread_, find_box, reinterpret_cast<LPARAM>(&search));
        if (search.found) {
          BoxContents box;
          ::EnumChildWindows(search.found, read_control, reinterpret_cast<LPARAM>(&box));
          report << "message box title: " << narrow(window_text(search.found)) << '\n'
                 << "message box text: [" << narrow(box.text) << "]\n"
                 << "message box buttons: " << narrow(box.buttons) << '\n'
                 << "message box icon: " << (box.icon ? "shown" : "none") << std::endl;
          return;
        }
        ::Sleep(10);
      }
    });
  }

 private:
  std::ostream& err_;
  std::wstring title_;
  DWORD thread_;
  HWND form_ = nullptr;
  HWND note_ = nullptr;
  HFONT font_ = nullptr;
  std::thread reporter_;
  std::atomic<bool> stop_reporting_{false};
};

}  // namespace

std::unique_ptr<Ui> make_win32_ui(std::ostream& err) { return std::make_unique<Win32Ui>(err); }

}  // namespace platform

#endif  // _WIN32
