// Folders as the tools need them: made when missing, and listed.
#pragma once

#include <string>
#include <vector>

#include "platform/status.h"

namespace platform {

// Makes `path` and every missing folder above it; an existing folder is fine.
Status create_folders(const std::string& path);

// The names (UTF-8) of the regular files directly in `folder`, sorted.
Status list_files(const std::string& folder, std::vector<std::string>* names);

}  // namespace platform
