// The application icon from the images built into the program, and the layout font.
#include "gui/qt/Appearance.h"

#include <QApplication>

namespace lintara {

QIcon AppIcon() {
    // One icon for the program, both windows and the Options button, so each image is
    // decoded once.
    static const QIcon icon = [] {
        QIcon images;
        images.addFile(QStringLiteral(":/icons/lintara-32.png"), QSize(32, 32));
        images.addFile(QStringLiteral(":/icons/lintara-48.png"), QSize(48, 48));
        return images;
    }();
    return icon;
}

QFont LayoutFont() {
    QFont font = QApplication::font();
    font.setPointSize(8);
    font.setStretch(QFont::SemiCondensed);
    return font;
}

}  // namespace lintara
