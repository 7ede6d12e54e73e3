// Whole-file saves for the files the operator keeps (the whiteboard, the
// day's attendance report).
#pragma once

#include <string>
#include <string_view>

namespace assoc {

struct SaveResult {
    bool ok = false;
    int error = 0;       // errno of the step that failed; 0 when ok
    std::string detail;  // that step and the system's text for `error`; empty when ok
};

// Replaces the file at `path` (a file-system path, UTF-8 on our systems) with
// exactly `bytes`. The bytes go to a temporary file of ours beside the target,
// every write is checked, the file is synced and closed, and only then renamed
// over the target; the folder is synced after. On any failure before the
// rename the temporary file is removed and the old file stays byte for byte.
// Only a failed sync of the folder comes after the rename: the new bytes are
// then in place but not known to be on disk, and the save is still reported as
// failed so the operator saves again.
//
// Only a regular file of our own user that its owner may write is replaced
// (a read-only one is refused even to root); anything else fails and stays as
// it was. A kept file keeps its permissions; a new one gets 0666 less the
// umask. When `path` is a symbolic link, the file it points to is written,
// existing or not, and the link stays.
//
// Temporary files left behind for the same target by a save that never ended
// (the program was killed) are removed first; nothing else is touched.
//
// A failure's `detail` also goes to the program's error output, one line
// "<program>: <detail>", so the operator can find out why a save failed; the
// caller tells the user that it did.
[[nodiscard]] SaveResult save_whole_file(const std::string& path, std::string_view bytes);

}  // namespace assoc
