#include "platform/status.h"

namespace platform {

std::string Error::message() const {
  std::string text = "cannot " + operation;
  if (!path.empty()) text += " '" + path + "'";
  if (!reason.empty()) text += ": " + reason;
  if (set_restored) text += "; the files already replaced were put back, the old set is whole";
  if (!left.empty()) {
    text += "; the files could not all be put back:";
    for (const LeftFile& file : left) {
      text += " '" + file.path + "' ";
      switch (file.holds) {
        case LeftFile::Holds::kNew:
          text += "is new;";
          break;
        case LeftFile::Holds::kOld:
          text += "is old;";
          break;
        case LeftFile::Holds::kNothing:
          text += "is missing, its old content is in '" + file.old_content_in + "';";
          break;
      }
    }
    text.pop_back();
  }
  return text;
}

}  // namespace platform
