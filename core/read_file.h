// Reading a file the operator keeps (the configuration, the whiteboard).
#pragma once

#include <optional>
#include <string>

namespace assoc {

// The whole of the regular file at `path` (a file-system path), or nothing
// when there is none or it cannot be read. Anyone who can write the folder
// may leave a FIFO, a device or a folder under the name, even after a look at
// it: the file is opened without blocking and read only when the open
// descriptor shows a regular file, so nobody waits for ever on a writer that
// never comes, or reads a device without end.
[[nodiscard]] std::optional<std::string> read_regular_file(const std::string& path);

}  // namespace assoc
