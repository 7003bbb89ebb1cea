// Output files that never appear half-written.
#pragma once

#include <functional>
#include <string>

namespace preview {

// Calls `write` with the name of a new, empty temporary file beside `path`
// (so a rename cannot cross file systems); `write` returns an empty string
// once the file is complete, else the problem. On success the temporary is
// renamed over `path`; on failure it is removed, `path` is left as it was, and
// `error` holds one line naming `path` and the problem.
bool writeAtomically(const std::string& path,
                     const std::function<std::string(const std::string& temporary)>& write,
                     std::string& error);

}  // namespace preview
