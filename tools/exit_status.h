// scenarioc's exit statuses.
#pragma once

namespace tools {

inline constexpr int kExitOk = 0;
inline constexpr int kExitStatus = 1;    // the compile recorded a status code
inline constexpr int kExitPlatform = 2;  // a file operation failed, or bad usage
inline constexpr int kExitErrore = 3;    // the compile ended through " Errore n. "

}  // namespace tools
