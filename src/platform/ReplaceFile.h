// Replacing a file's content as one step: a temporary file in the same folder, synced, renamed
// over the file, and the folder synced, so a reader or a crash sees the old content or the new,
// never a part. The new file keeps the old one's permissions (0644 for a first file).
#pragma once

#include <string>
#include <string_view>

namespace tevra::platform {

struct ReplaceFailure {
  int cause = 0;     // the errno of the step that failed
  std::string what;  // that step, as "<verb> the temporary file <name>" or "sync its folder <f>"
};

// False with the failure, and no temporary file left, when a step fails. The folder must exist.
bool ReplaceFile(const std::string& path, std::string_view text, ReplaceFailure& failure);

}  // namespace tevra::platform
