// The application icon and the text size the window layouts are drawn for.
#pragma once

#include <QFont>
#include <QIcon>

namespace lintara {

// Eight bars in four rows of two, at 32 and 48 pixels.
QIcon AppIcon();

// The desktop's font at the size the layouts were drawn for (8 points, slightly
// condensed where the family has it), so every caption fits its control. Set as the
// application's font; no window or control sets one of its own.
QFont LayoutFont();

}  // namespace lintara
