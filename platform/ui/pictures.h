// Pictures named by descriptions: JPEG files in the Qt resources, decoded once.
#pragma once

#include <QImage>
#include <QString>
#include <QStringList>
#include <optional>

namespace ui::detail {

// Reads and decodes the picture at a resource path (":/pictures/x.jpg"). A
// missing or broken picture gives nullopt and says why in `error`.
std::optional<QImage> load_picture(const QString& path, QString* error);

// Reads and decodes pictures on threads of their own, one thread per picture,
// so they decode beside each other and beside whatever the caller does
// meanwhile (reading the descriptions that name them). load_picture() then takes the
// result, waiting for it if it is not there yet: the same picture or the same
// error it would have come to by itself. A thread that could not finish (out
// of memory) leaves the picture to load_picture() as before. Pictures nobody
// asked for by the time this goes are waited for and dropped.
class PicturesAhead {
public:
    PicturesAhead() = default;
    ~PicturesAhead();
    // Pictures already decoded or on their way are not started again.
    void start(const QStringList& paths);
    PicturesAhead(const PicturesAhead&) = delete;
    PicturesAhead& operator=(const PicturesAhead&) = delete;

private:
    QStringList paths_;
};

}  // namespace ui::detail
