// The application icon from the images built into the program, and the layout font.
#include "gui/qt/Appearance.h"

#include <QApplication>
#include <QImageReader>
#include <QPixmap>

namespace lintara {

QIcon AppIcon() {
    // One icon for the program, both windows and the Options button, so each image is
    // decoded once. The format is named and not guessed, so the built-in PNG reader
    // decodes them: a guess would load every image plugin first, at start.
    static const QIcon icon = [] {
        QIcon images;
        for (const char* path : {":/icons/lintara-32.png", ":/icons/lintara-48.png"}) {
            QImageReader reader(QString::fromLatin1(path), "png");
            reader.setAutoDetectImageFormat(false);
            images.addPixmap(QPixmap::fromImage(reader.read()));
        }
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
