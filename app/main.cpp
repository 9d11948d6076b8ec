// Lintara: the main window on the desktop.
#include <QApplication>
#include <QFileDialog>
#include <cstdio>

#include "app/DesktopServices.h"
#include "gui/qt/Appearance.h"
#include "gui/qt/QtForm.h"
#include "main_window/Lintara.h"

namespace {

// On X11/Wayland desktops Qt would abort with a long diagnostic when there is no
// display; say it in one line instead. A platform chosen explicitly is left to Qt.
bool NoDisplay() {
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN) && !defined(Q_OS_ANDROID)
    return qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") &&
           qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
#else
    return false;
#endif
}

}  // namespace

int main(int argc, char** argv) {
    if (NoDisplay()) {
        std::fputs(
            "Lintara cannot start: there is no display (DISPLAY and WAYLAND_DISPLAY are "
            "unset).\n",
            stderr);
        return 1;
    }
    // The arguments are Lintara's own (a host, perhaps from a lintara:// link); the
    // toolkit gets none of them, so none is taken as one of its switches.
    int toolkitArgc = 1;
    QApplication application(toolkitArgc, argv);
    application.setWindowIcon(lintara::AppIcon());
    QApplication::setFont(lintara::LayoutFont());
    // The program ends where Lintara ends it (a launch, the missing settings file, the
    // user closing the main window), never because a message box or a file dialog
    // closed while the main window was hidden behind the Options window.
    QApplication::setQuitOnLastWindowClosed(false);

    DesktopServices services(lintara::CreatePlatformServices(argc, argv));
    lintara::QtFormFactory forms;
    Lintara window(services, forms, [] { return QFileDialog::getOpenFileName().toStdString(); });
    window.Form_Load();
    window.Show();
    return application.exec();
}
