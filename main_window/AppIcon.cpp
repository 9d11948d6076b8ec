// The application icon from the images built into the program.
#include "main_window/AppIcon.h"

namespace lintara {

QIcon AppIcon() {
    QIcon icon;
    icon.addFile(QStringLiteral(":/icons/lintara-32.png"), QSize(32, 32));
    icon.addFile(QStringLiteral(":/icons/lintara-48.png"), QSize(48, 48));
    return icon;
}

}  // namespace lintara
