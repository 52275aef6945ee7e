#include <ostream>

#include "platform/ui.h"

namespace platform {
namespace {

class ConsoleUi final : public Ui {
 public:
  ConsoleUi(std::ostream& out, std::ostream& err) : out_(out), err_(err) {}
  void show_waiting(std::string_view label) override { out_ << label << std::endl; }
  void close_waiting() override {}
  void message_box(std::string_view text) override { err_ << text << std::endl; }
  void report_failure(std::string_view) override {}

 private:
  std::ostream& out_;
  std::ostream& err_;
};

class SilentUi final : public Ui {
 public:
  void show_waiting(std::string_view) override {}
  void close_waiting() override {}
  void message_box(std::string_view) override {}
};

}  // namespace

std::unique_ptr<Ui> make_silent_ui() { return std::make_unique<SilentUi>(); }

std::unique_ptr<Ui> make_console_ui(std::ostream& out, std::ostream& err) {
  return std::make_unique<ConsoleUi>(out, err);
}

}  // namespace platform
