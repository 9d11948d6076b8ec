// The application icon from the images built into the program, and the layout font.
#include "main_window/Appearance.h"

#include <QApplication>

namespace lintara {

QIcon AppIcon() {
    QIcon icon;
    icon.addFile(QStringLiteral(":/icons/lintara-32.png"), QSize(32, 32));
    icon.addFile(QStringLiteral(":/icons/lintara-48.png"), QSize(48, 48));
    return icon;
}

QFont LayoutFont() {
    QFont font = QApplication::font();
    font.setPointSize(8);
    font.setStretch(QFont::SemiCondensed);
    return font;
}

}  // namespace lintara
