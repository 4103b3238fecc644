// The editor's images, drawn with QPainter when first asked for: the twelve
// toolbar images (19 by 22 pixels, in toolbar order), the 16-pixel image in
// front of every row, and the application icon.
#pragma once

#include <QIcon>

#include "ui/Commands.h"

namespace quillon {

inline constexpr int kToolbarImageWidth = 19;
inline constexpr int kToolbarImageHeight = 22;
inline constexpr int kRowImageSize = 16;

QIcon toolbarIcon(CommandId id);
QIcon rowIcon();
QIcon applicationIcon();

}  // namespace quillon
