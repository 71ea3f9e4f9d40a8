#include "detail/Icons.h"

#include <QFile>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

#include "core/App.h"
#include "core/Error.h"

namespace orvane::toolkit::detail {
namespace {

constexpr std::int32_t InvalidPicture = 481;

QIcon RenderSvg(const QString& path, const std::string& source) {
    QSvgRenderer drawing(path);
    if (!drawing.isValid()) throw Error(InvalidPicture, "Invalid picture: " + source + " cannot be read.");
    QIcon icon;
    // Title bars, task bars and switchers ask for these.
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        drawing.render(&painter);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

}  // namespace

QIcon LoadIcon(const std::string& source) {
    const QString path = QString::fromStdString(source.starts_with(":") ? source : App::NativePath(source));
    QIcon icon;
    if (path.endsWith(QLatin1String(".svg"), Qt::CaseInsensitive)) {
        icon = RenderSvg(path, source);
    } else {
        const QPixmap pixmap(path);
        if (pixmap.isNull()) throw Error(InvalidPicture, "Invalid picture: " + source + " cannot be read.");
        icon.addPixmap(pixmap);
    }
    return icon;
}

}  // namespace orvane::toolkit::detail
