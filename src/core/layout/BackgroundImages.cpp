#include "core/layout/BackgroundImages.h"

#include <QDir>

namespace qrv {

QString backgroundImagesFolder(const QString &appPath) {
    return appPath + QStringLiteral("/SfondiSale");
}

QStringList listBackgroundImages(const QString &appPath) {
    const QDir folder(backgroundImagesFolder(appPath));
    if (!folder.exists())
        return {};
    return folder.entryList(QDir::Files, QDir::Unsorted);
}

bool isSafeImageName(const QString &name) {
    if (name.isEmpty())
        return true;
    if (name == QLatin1String(".") || name == QLatin1String(".."))
        return false;
    for (const QChar c : name) {
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c.category() == QChar::Other_Control)
            return false;
    }
    return true;
}

} // namespace qrv
