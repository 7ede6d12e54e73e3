#include "platform/ui/pictures.h"

#include <QCoreApplication>
#include <QFile>
#include <QHash>
#include <memory>
#include <system_error>
#include <thread>

#include "platform/ui/jpeg.h"

namespace ui::detail {

namespace {

struct Decoded {
    std::optional<QImage> image;
    QString error;
};

Decoded read_and_decode(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {std::nullopt, QStringLiteral("picture \"%1\" not found").arg(path)};
    QString why;
    auto image = decode_jpeg(file.readAll(), &why);
    if (!image) return {std::nullopt, QStringLiteral("picture \"%1\": %2").arg(path, why)};
    return {std::move(image), QString()};
}

// Several windows share one background; decode it once.
QHash<QString, QImage>& cache()
{
    static QHash<QString, QImage> pictures;
    return pictures;
}

// A picture being decoded on a thread of its own. The thread writes only
// `result` and `finished`, and they are read only after joining it.
struct Pending {
    std::thread thread;
    Decoded result;
    bool finished = false;
};

// Touched only by the thread that loads the descriptions.
QHash<QString, std::shared_ptr<Pending>>& pending()
{
    static QHash<QString, std::shared_ptr<Pending>> started;
    return started;
}

// At most this many pictures decode at once; any others are decoded when asked for.
constexpr qsizetype kMaxThreads = 8;

}  // namespace

std::optional<QImage> load_picture(const QString& path, QString* error)
{
    if (auto it = cache().constFind(path); it != cache().constEnd()) {
        return *it;
    }
    Decoded decoded;
    const std::shared_ptr<Pending> ahead = pending().take(path);
    if (ahead) ahead->thread.join();
    if (ahead && ahead->finished) {
        decoded = std::move(ahead->result);
    } else {
        decoded = read_and_decode(path);
    }
    if (!decoded.image) {
        if (error) *error = decoded.error;
        return std::nullopt;
    }
    cache().insert(path, *decoded.image);
    return decoded.image;
}

void PicturesAhead::start(const QStringList& paths)
{
    // Before the application exists, a thread that touches Qt first would be
    // taken for its main thread.
    if (!QCoreApplication::instance()) return;
    for (const QString& path : paths) {
        if (paths_.size() >= kMaxThreads) break;
        if (cache().contains(path) || pending().contains(path)) continue;
        auto ahead = std::make_shared<Pending>();
        try {
            ahead->thread = std::thread([ahead = ahead.get(), path] {
                // Off the user-interface thread a failed allocation throws;
                // the picture is then decoded again when it is asked for.
                try {
                    ahead->result = read_and_decode(path);
                    ahead->finished = true;
                } catch (...) {
                }
            });
        } catch (const std::system_error&) {
            break;  // no more threads: the rest are decoded when asked for
        }
        pending().insert(path, ahead);
        paths_.append(path);
    }
}

PicturesAhead::~PicturesAhead()
{
    for (const QString& path : paths_) {
        if (const std::shared_ptr<Pending> ahead = pending().take(path)) ahead->thread.join();
    }
}

}  // namespace ui::detail
