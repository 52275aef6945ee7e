#include "platform/status.h"

namespace platform {

std::string Error::message() const {
  std::string text = "cannot " + operation;
  if (!path.empty()) text += " '" + path + "'";
  if (!reason.empty()) text += ": " + reason;
  return text;
}

}  // namespace platform
