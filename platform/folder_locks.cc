// Taking the locks of the folders a run writes into, with a bounded wait
// that is never silent.
#include <algorithm>
#include <chrono>
#include <thread>

#include "platform/env.h"

namespace platform {

Status lock_folders(Env& env, const std::vector<std::string>& folders, const LockWait& wait,
                    LockObserver& observer, std::vector<std::unique_ptr<FolderLock>>* held) {
  held->clear();
  struct Folder {
    std::string identity;
    std::string path;
  };
  std::vector<Folder> order;
  for (const std::string& path : folders) {
    Folder folder{{}, path};
    if (Status status = env.folder_identity(path, &folder.identity)) {
      observer.unguarded(*status);
      continue;
    }
    if (std::none_of(order.begin(), order.end(),
                     [&](const Folder& f) { return f.identity == folder.identity; }))
      order.push_back(std::move(folder));
  }
  std::sort(order.begin(), order.end(),
            [](const Folder& a, const Folder& b) { return a.identity < b.identity; });

  using Clock = std::chrono::steady_clock;
  const Clock::time_point start = Clock::now();
  for (const Folder& folder : order) {
    bool told = false;
    for (;;) {
      std::unique_ptr<FolderLock> lock;
      if (Status status = env.try_lock_folder(folder.path, &lock)) {
        observer.unguarded(*status);
        break;
      }
      if (lock) {
        held->push_back(std::move(lock));
        break;
      }
      const long waited = static_cast<long>(
          std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
      if (waited >= wait.give_up_after_ms) {
        held->clear();
        return Error{"lock", folder.path,
                     "another run in this folder has held it for " + std::to_string(waited / 1000) +
                         " s; nothing was written"};
      }
      if (!told && waited >= wait.notice_after_ms) {
        observer.waiting_for(folder.path);
        told = true;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(wait.poll_ms));
    }
  }
  return ok();
}

}  // namespace platform
