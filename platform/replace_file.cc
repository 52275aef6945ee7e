#include <string>

#include "platform/env.h"

namespace platform {
namespace {

constexpr std::string_view kTemporarySuffix = ".tmp~";

// Writes a whole new content into a new temporary file beside `target`.
// `temp` names the file while it exists, and is empty when nothing was
// created.
Status write_temporary(Env& env, const std::string& target, const ContentWriter& write,
                       std::string* temp) {
  temp->clear();
  std::unique_ptr<WritableFile> file;
  if (Status status = env.new_temporary_file(target, temp, &file)) {
    temp->clear();
    return status;
  }
  Status status = write(*file);
  if (!status) status = file->flush();
  Status closed = file->close();
  if (!status) status = closed;
  return status;
}

// Clean-up after a failure that has already been reported: a temporary file
// the machine refuses to delete cannot be helped.
void remove_temporary(Env& env, std::string* temp) {
  if (!temp->empty()) env.delete_file(*temp);
  temp->clear();
}

}  // namespace

std::string temporary_name(const std::string& path, unsigned long process, unsigned long attempt) {
  return path + "." + std::to_string(process) + "-" + std::to_string(attempt) +
         std::string(kTemporarySuffix);
}

size_t longest_temporary_suffix() { return temporary_name("", 4294967295ul, 99999ul).size(); }

std::string target_of_temporary(const std::string& path) {
  if (!path.ends_with(kTemporarySuffix)) return {};
  const std::string_view stem =
      std::string_view(path).substr(0, path.size() - kTemporarySuffix.size());
  // ".<process>-<attempt>": digits, a dash, digits.
  const size_t dot = stem.rfind('.');
  if (dot == std::string_view::npos) return {};
  const std::string_view numbers = stem.substr(dot + 1);
  const size_t dash = numbers.find('-');
  const auto digits = [](std::string_view s) {
    return !s.empty() && s.find_first_not_of("0123456789") == std::string_view::npos;
  };
  if (dash == std::string_view::npos || !digits(numbers.substr(0, dash)) ||
      !digits(numbers.substr(dash + 1)))
    return {};
  return std::string(stem.substr(0, dot));
}

Status replace_file(Env& env, const std::string& path, std::string_view contents) {
  return replace_file(env, path, [contents](WritableFile& file) { return file.append(contents); });
}

Status replace_file(Env& env, const std::string& path, const ContentWriter& write) {
  std::string temp;
  Status status = write_temporary(env, path, write, &temp);
  if (!status) status = env.rename_file(temp, path);
  if (status) remove_temporary(env, &temp);
  return status;
}

namespace {

// Moves the file at `path` to a new temporary name beside it, which
// `aside` then holds; nothing is moved, and `aside` is empty, when there is
// no file. The name is taken by creating it, so that no other run uses it.
Status move_aside(Env& env, const std::string& path, std::string* aside) {
  aside->clear();
  if (!env.file_exists(path)) return ok();
  std::string name;
  {
    std::unique_ptr<WritableFile> placeholder;
    if (Status status = env.new_temporary_file(path, &name, &placeholder)) return status;
    if (Status status = placeholder->close()) {
      env.delete_file(name);
      return status;
    }
  }
  if (Status status = env.rename_file(path, name)) {
    env.delete_file(name);
    // The move is what failed: name the file that could not be replaced.
    status->operation = "replace";
    status->path = path;
    return status;
  }
  *aside = std::move(name);
  return ok();
}

// One file of a set on its way to replacement.
struct Slot {
  std::string target;
  std::string temp;   // the new content, until it is renamed onto the target
  std::string aside;  // the old content, while it is moved aside
  bool new_in_place = false;
};

// Puts every old file back in place, and removes each new file that had no
// old one. Returns what could not be put back, for every file of the set.
std::vector<LeftFile> put_back(Env& env, std::vector<Slot>& slots) {
  std::vector<LeftFile> left;
  bool whole = true;
  for (Slot& slot : slots) {
    LeftFile file{slot.target, LeftFile::Holds::kOld, {}};
    if (!slot.aside.empty()) {
      if (env.rename_file(slot.aside, slot.target)) {
        whole = false;
        file.holds = slot.new_in_place ? LeftFile::Holds::kNew : LeftFile::Holds::kNothing;
        file.old_content_in = slot.aside;
      } else {
        slot.aside.clear();
      }
    } else if (slot.new_in_place) {
      // There was no old file: the set is old again once the new one is gone.
      if (env.delete_file(slot.target)) {
        whole = false;
        file.holds = LeftFile::Holds::kNew;
      }
    }
    left.push_back(std::move(file));
  }
  if (whole) left.clear();
  return left;
}

}  // namespace

Status replace_files(Env& env, const std::string& folder, const std::vector<NewContent>& files,
                     bool* in_place) {
  if (in_place) *in_place = false;
  std::vector<Slot> slots(files.size());
  Status status;
  for (size_t i = 0; i < files.size() && !status; ++i) {
    slots[i].target = files[i].path;
    status = write_temporary(env, files[i].path, files[i].write, &slots[i].temp);
  }
  // Every old file goes aside before the first new one comes in: a file that
  // cannot be replaced (held open by another program that shares no
  // deleting) stops the run while each old file can still simply go back.
  bool moved = false;
  for (size_t i = 0; i < slots.size() && !status; ++i) {
    status = move_aside(env, slots[i].target, &slots[i].aside);
    moved = moved || !slots[i].aside.empty();
  }
  for (size_t i = 0; i < slots.size() && !status; ++i) {
    status = env.rename_file(slots[i].temp, slots[i].target);
    if (!status) {
      slots[i].temp.clear();
      slots[i].new_in_place = moved = true;
    }
  }
  if (status) {
    for (Slot& slot : slots) remove_temporary(env, &slot.temp);
    if (moved) {
      status->left = put_back(env, slots);
      status->set_restored = status->left.empty();
    }
    return status;
  }
  if (in_place) *in_place = true;
  status = env.sync_folder(folder);
  // The old files are no longer part of anything. One the machine refuses to
  // delete keeps a temporary name, which no run takes for a file of its own,
  // and is reported all the same.
  for (Slot& slot : slots) {
    if (slot.aside.empty()) continue;
    Status removed = env.delete_file(slot.aside);
    if (removed && !status) status = removed;
  }
  return status;
}

}  // namespace platform
