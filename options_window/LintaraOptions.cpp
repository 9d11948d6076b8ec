// The Options window (placeholder until the window is built).
#include "options_window/LintaraOptions.h"

LintaraOptions::LintaraOptions(lintara::PlatformServices& /*services*/, FileOpenFunction /*fileOpen*/,
                               QWidget* /*mainWindow*/)
    : QWidget(nullptr) {}

void LintaraOptions::Form_Load() {}
