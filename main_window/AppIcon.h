// The application icon (eight bars in four rows of two), at 32 and 48 pixels.
#pragma once

#include <QIcon>

namespace lintara {

QIcon AppIcon();

}  // namespace lintara
