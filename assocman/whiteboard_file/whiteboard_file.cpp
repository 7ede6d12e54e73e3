#include "assocman/whiteboard_file/whiteboard_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <cerrno>
#include <string>

#include "assocman/whiteboard_file/whiteboard_split.h"
#include "core/save_file.h"
#include "platform/text/gbk.h"

namespace whiteboard_file {
namespace {

QString to_qstring(std::string_view gbk) { return QString::fromStdString(text::from_gbk(gbk)); }

class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd()
    {
        if (fd_ >= 0) ::close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

}  // namespace

Whiteboard read_whiteboard_bytes(std::string_view bytes)
{
    const WhiteboardSpans spans = split_whiteboard(bytes);
    Whiteboard board;
    if (spans.text.empty()) return board;
    board.text = to_qstring(spans.text);
    board.lines.reserve(static_cast<qsizetype>(spans.lines.size()));
    for (const std::string_view line : spans.lines) board.lines.append(to_qstring(line));
    return board;
}

Whiteboard read_whiteboard_file(const QString& path)
{
    // Anyone can leave a FIFO, a device or a folder under that name. Opening
    // without blocking and reading only a regular file keeps the workspace
    // and the editor from waiting for ever on a writer that never comes, or
    // reading a device without end.
    const Fd file(::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (file.get() < 0) return {};
    struct stat st {};
    if (::fstat(file.get(), &st) != 0 || !S_ISREG(st.st_mode)) return {};

    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(st.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(file.get(), buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR) continue;
            return {};
        }
        if (got == 0) break;
        bytes.append(buffer, static_cast<std::size_t>(got));
    }
    return read_whiteboard_bytes(bytes);
}

bool write_whiteboard_file(const QString& path, const QStringList& lines)
{
    // The whole file is written beside the old one and only renamed into place
    // once it is safely on disk, so neither a crash nor a full disk leaves the
    // workspace half a whiteboard or an empty one.
    const std::string bytes = text::to_gbk(lines.join(QStringLiteral("\r\n")).toStdString());
    return assoc::save_whole_file(QFile::encodeName(path).toStdString(), bytes).ok;
}

}  // namespace whiteboard_file
