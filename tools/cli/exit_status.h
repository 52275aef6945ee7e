// scenarioc's exit statuses (job/outcome.h maps outcomes to them).
#pragma once

#include "job/outcome.h"

namespace tools {

using job::kExitErrore;
using job::kExitOk;
using job::kExitPlatform;
using job::kExitStatus;

}  // namespace tools
