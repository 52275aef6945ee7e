#if !defined(_WIN32) && defined(PLATFORM_HAVE_FLTK)

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Window.H>
#include <FL/fl_ask.H>
#include <FL/fl_draw.H>
#include <FL/x.H>
#include <X11/Xlib.h>
// Xlib defines Status as a macro; this program has a type of that name.
#undef Status

#include <memory>
#include <ostream>
#include <string>

#include "platform/form_layout.h"
#include "platform/program_path.h"
#include "platform/window_ui.h"

namespace platform {
namespace {

// FLTK sizes are pixels; the window is laid out as at 96 dots per inch.
constexpr int kDotsPerInch = 96;
int px(int twips) { return form::twips_to_pixels(twips, kDotsPerInch); }

// The largest label size, in pixels, up to the design's 24 points, at which
// `text` in Helvetica bold fits a box of `width` x `height` pixels. FLTK
// insets a left-aligned label by 3 pixels on each side; the text must end
// before the box's last column, so that nothing of it is cut.
int fitting_size(const std::string& text, int width, int height) {
  constexpr int kSmallest = 8;
  int size = form::points_to_pixels(form::kLabelPoints, kDotsPerInch);
  for (; size > kSmallest; --size) {
    fl_font(FL_HELVETICA_BOLD, size);
    int w = 0, h = 0;
    fl_measure(text.c_str(), w, h, 0);
    if (w < width - 6 && h <= height) break;
  }
  return size;
}

// The window offers no way to cancel the run: its close button does nothing.
void ignore_close(Fl_Widget*, void*) {}

class FltkUi final : public Ui {
 public:
  FltkUi() : title_(application_name()) {}

  ~FltkUi() override {
    Fl::remove_timeout(&FltkUi::look_for_box, this);
    close_waiting();
  }

  void show_waiting(std::string_view label) override {
    if (form_) return;
    form_ = std::make_unique<Fl_Window>(px(form::kClientWidth), px(form::kClientHeight),
                                        form::kCaption);
    form_->callback(ignore_close);
    Fl_Box* box = new Fl_Box(px(form::kLabelLeft), px(form::kLabelTop), px(form::kLabelWidth),
                             px(form::kLabelHeight));
    const std::string text(label);
    box->copy_label(text.c_str());
    // Helvetica bold stands in for MS Sans Serif, which X does not have. It
    // is wider: the largest size up to the design's at which the text fits.
    box->labelfont(FL_HELVETICA_BOLD);
    box->labelsize(fitting_size(text, box->w(), box->h()));
    box->align(FL_ALIGN_LEFT | FL_ALIGN_TOP | FL_ALIGN_INSIDE);
    form_->end();
    form_->show();
    // show(), flush() and check() leave the label undrawn: wait until the
    // server has mapped the window, then draw, and let the server finish the
    // drawing before the work starts.
    form_->wait_for_expose();
    Fl::flush();
    XSync(fl_display, False);
  }

  void show_waiting_note(std::string_view note) override {
    if (!form_) return;
    const std::string text(note);
    if (!note_) {
      note_ = new Fl_Box(px(form::kNoteLeft), px(form::kNoteTop), px(form::kNoteWidth),
                         px(form::kNoteHeight));
      note_->labelfont(FL_HELVETICA);
      note_->labelsize(form::points_to_pixels(form::kNotePoints, kDotsPerInch));
      note_->align(FL_ALIGN_LEFT | FL_ALIGN_TOP | FL_ALIGN_INSIDE | FL_ALIGN_WRAP);
      form_->add(note_);
    }
    note_->copy_label(text.c_str());
    form_->redraw();
    Fl::flush();
    XSync(fl_display, False);
  }

  void close_waiting() override {
    note_ = nullptr;  // the window's child, deleted with it
    if (!form_) return;
    form_->hide();
    form_.reset();
    Fl::flush();
    XSync(fl_display, False);
  }

  void message_box(std::string_view text) override { show_box(text, false); }
  void report_failure(std::string_view text) override { show_box(text, true); }

  void report_next_message_box(std::ostream& report) override {
    report_ = &report;
    Fl::add_timeout(kPollSeconds, &FltkUi::look_for_box, this);
  }

 private:
  static constexpr double kPollSeconds = 0.02;

  // Runs inside the box's own event loop until the box is on the screen.
  static void look_for_box(void* self_pointer) {
    auto* self = static_cast<FltkUi*>(self_pointer);
    for (Fl_Window* window = Fl::first_window(); window; window = Fl::next_window(window)) {
      if (window == self->form_.get() || !window->modal() || !window->shown() || !window->visible())
        continue;
      self->report_box(*window);
      self->report_ = nullptr;
      return;
    }
    Fl::repeat_timeout(kPollSeconds, &FltkUi::look_for_box, self_pointer);
  }

  void report_box(Fl_Window& box) {
    Fl_Widget* icon = fl_message_icon();
    std::string text, buttons;
    for (int i = 0; i < box.children(); ++i) {
      Fl_Widget* child = box.child(i);
      if (!child->visible()) continue;
      if (dynamic_cast<Fl_Button*>(child)) {
        buttons +=
            (buttons.empty() ? "" : ", ") + std::string(child->label() ? child->label() : "");
      } else if (child != icon && dynamic_cast<Fl_Box*>(child) && child->label()) {
        text = child->label();
      }
    }
    *report_ << "message box title: " << (box.label() ? box.label() : "") << '\n'
             << "message box text: [" << text << "]\n"
             << "message box buttons: " << buttons << '\n'
             << "message box icon: " << (icon && icon->visible() ? "shown" : "none") << std::endl;
  }

  void show_box(std::string_view text, bool icon) {
    fl_close = "OK";
    fl_message_hotspot(0);
    if (icon) {
      fl_message_icon()->label("!");
      fl_message_icon()->show();
    } else {
      fl_message_icon()->hide();
    }
    fl_message_title(title_.c_str());
    fl_alert("%s", std::string(text).c_str());
  }

  std::string title_;
  std::unique_ptr<Fl_Window> form_;
  Fl_Box* note_ = nullptr;
  std::ostream* report_ = nullptr;
};

}  // namespace

std::unique_ptr<Ui> make_fltk_ui() {
  // FLTK ends the process when it cannot open the display; open it here
  // first, and hand the connection over when it works.
  Display* display = XOpenDisplay(nullptr);
  if (!display) return nullptr;
  fl_open_display(display);
  return std::make_unique<FltkUi>();
}

}  // namespace platform

#endif  // !_WIN32 && PLATFORM_HAVE_FLTK
