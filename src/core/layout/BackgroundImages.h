#pragma once

#include <QString>
#include <QStringList>

namespace qrv {

/** The folder of room background images under the application folder. */
QString backgroundImagesFolder(const QString &appPath);

/**
 * The file names (no path) in the background folder, files only and not hidden ones, in the
 * order the file system gives them. An empty or missing folder gives an empty list.
 */
QStringList listBackgroundImages(const QString &appPath);

/**
 * Whether a background file name may be stored for a room: empty (no image) or a plain name
 * inside the background folder. A name with a path separator ("/" or "\"), the names "." and
 * "..", and names with control characters are refused, so that no room can point outside it.
 */
bool isSafeImageName(const QString &name);

} // namespace qrv
