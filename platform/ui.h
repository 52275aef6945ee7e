// The program's only user interface: one waiting window and one message box.
#pragma once

#include <iosfwd>
#include <memory>
#include <string_view>

namespace platform {

class Ui {
 public:
  virtual ~Ui() = default;
  // Shows the waiting window with its one label and paints it at once, so
  // that the label is on the screen before the work starts.
  virtual void show_waiting(std::string_view label) = 0;
  virtual void close_waiting() = 0;
  // A line under the label of the waiting window, which stays: what the run
  // waits for. The console, where the run says it in its own words, shows
  // nothing more.
  virtual void show_waiting_note(std::string_view note) { (void)note; }
  // A modal box with `text` and one OK button; returns when it is closed.
  virtual void message_box(std::string_view text) = 0;
  // A failure that ended the run, for a user who may have no console: a
  // window interface shows `text` in a box with an error icon; the console,
  // which has printed the failure in its own words already, adds nothing.
  virtual void report_failure(std::string_view text) { message_box(text); }

  // For the checks of the window builds: once the next message box is on the
  // screen, writes its title, text, buttons and icon to `report`, read back
  // from the box itself, one "message box <what>: <value>" line each. A user
  // interface without a box writes nothing.
  virtual void report_next_message_box(std::ostream& report) { (void)report; }
};

// Writes the label to `out` and the message text to `err`.
std::unique_ptr<Ui> make_console_ui(std::ostream& out, std::ostream& err);

// Shows nothing: for compiles that run in memory on a copy of the sources.
std::unique_ptr<Ui> make_silent_ui();

// The window and message box when this machine can show them, else the
// console: a Linux build without FLTK, or with no display to open.
std::unique_ptr<Ui> make_ui(std::ostream& out, std::ostream& err);

}  // namespace platform
