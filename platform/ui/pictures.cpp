#include "platform/ui/pictures.h"

#include <QFile>
#include <algorithm>
#include <list>
#include <system_error>
#include <thread>

#include "platform/ui/jpeg.h"

namespace ui::detail {

namespace {

DecodedPicture read_and_decode(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {std::nullopt, QStringLiteral("picture \"%1\" not found").arg(path)};
    }
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

DecodedPictures& offered()
{
    static DecodedPictures pictures;
    return pictures;
}

// At most this many pictures decode at once; any others are left out.
constexpr std::size_t kMaxThreads = 8;

}  // namespace

std::optional<QImage> load_picture(const QString& path, QString* error)
{
    if (auto it = cache().constFind(path); it != cache().constEnd()) {
        return *it;
    }
    const auto it = offered().constFind(path);
    const DecodedPicture decoded = it != offered().constEnd() ? *it : read_and_decode(path);
    if (!decoded.image) {
        if (error) *error = decoded.error;
        return std::nullopt;
    }
    cache().insert(path, *decoded.image);
    return decoded.image;
}

DecodedPictures decode_pictures(const QStringList& paths)
{
    // The thread writes only `result` and `finished`, and they are read only
    // after joining it.
    struct Job {
        QString path;
        std::thread thread;
        DecodedPicture result;
        bool finished = false;
    };
    // Every thread is joined before the list goes, whichever way this ends.
    struct Jobs {
        std::list<Job> list;
        ~Jobs()
        {
            for (Job& job : list) {
                if (job.thread.joinable()) job.thread.join();
            }
        }
    } jobs;
    for (const QString& path : paths) {
        if (jobs.list.size() >= kMaxThreads) break;
        const auto same = [&path](const Job& job) { return job.path == path; };
        if (std::any_of(jobs.list.begin(), jobs.list.end(), same)) continue;
        Job& job = jobs.list.emplace_back();
        job.path = path;
        try {
            job.thread = std::thread([&job] {
                // Off the user-interface thread a failed allocation throws;
                // the picture is then left to load_picture().
                try {
                    job.result = read_and_decode(job.path);
                    job.finished = true;
                } catch (...) {
                }
            });
        } catch (const std::system_error&) {
            break;
        }
    }
    for (Job& job : jobs.list) {
        if (job.thread.joinable()) job.thread.join();
    }
    DecodedPictures decoded;
    for (Job& job : jobs.list) {
        if (job.finished) decoded.insert(job.path, std::move(job.result));
    }
    return decoded;
}

void offer_pictures(DecodedPictures pictures) { offered() = std::move(pictures); }

void withdraw_pictures() { offered().clear(); }

}  // namespace ui::detail
