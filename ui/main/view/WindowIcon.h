#pragma once

#include <QIcon>
#include <QString>

// A window icon read from an icon file of many images (a Windows .ico), one image at a time and
// only when a size of it is asked for. QIcon(file) decodes every image of an .ico at once, about
// 1.4 MiB for the application icon's twenty, though a window shows one or two of them.
//
// For each size the file holds up to kLargest, the image with the most colours stands for it; a
// size in between is drawn from the next larger image, scaled down. Window systems draw window
// icons at 16 to 64 pixels, twice that on dense screens; the larger images of an .ico are for
// file managers. (An X11 window hands every size it offers to the window manager at once.)
namespace WindowIcon {

inline constexpr int kLargest = 128;

QIcon fromFile(const QString& path);

} // namespace WindowIcon
