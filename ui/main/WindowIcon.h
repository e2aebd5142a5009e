#pragma once

#include <QIcon>
#include <QString>

// A window icon read from an icon file of many images (a Windows .ico), one image at a time and
// only when a size of it is asked for. QIcon(file) decodes every image of an .ico at once, about
// 1.4 MiB for the application icon's twenty, though a window shows one or two of them.
//
// For each size the file holds, the image with the most colours stands for it; a size in between
// is drawn from the next larger image, scaled down.
namespace WindowIcon {

QIcon fromFile(const QString& path);

} // namespace WindowIcon
