// The Options window: programs, options and the default connection type.
#pragma once

#include <QString>
#include <QWidget>
#include <functional>

#include "core/platform.h"

// Shows a file-open dialog and returns the chosen file's full path, or an empty text.
using FileOpenFunction = std::function<QString()>;

class LintaraOptions : public QWidget {
    Q_OBJECT
public:
    // mainWindow is shown again however this window closes.
    LintaraOptions(lintara::PlatformServices& services, FileOpenFunction fileOpen,
                   QWidget* mainWindow);

    void Form_Load();
};
