// Forwards to the platform's services; only the message box is the toolkit's.
#include "app/DesktopServices.h"

#include <QMessageBox>
#include <QString>

DesktopServices::DesktopServices(std::unique_ptr<lintara::PlatformServices> platform)
    : m_platform(std::move(platform)) {}

int DesktopServices::ShowMessage(const std::string& text, int /*style*/, const std::string& title) {
    // Every caller asks for style 16: the error icon and a single OK button.
    QMessageBox box(QMessageBox::Critical, QString::fromStdString(title),
                    QString::fromStdString(text), QMessageBox::Ok);
    // Hosts and paths in a text must never be read as markup.
    box.setTextFormat(Qt::PlainText);
    // A reason (a missing package, a client's own words) can be selected and copied.
    box.setTextInteractionFlags(Qt::TextSelectableByMouse);
    box.exec();
    return 1;
}

lintara::StartResult DesktopServices::StartCommand(const std::string& commandLine,
                                                   int windowStyle) {
    return m_platform->StartCommand(commandLine, windowStyle);
}

lintara::TaskOutcome DesktopServices::PollTask(long taskId) {
    return m_platform->PollTask(taskId);
}

bool DesktopServices::FileExists(const std::string& path) {
    return m_platform->FileExists(path);
}

std::string DesktopServices::ApplicationFolder() {
    return m_platform->ApplicationFolder();
}

char DesktopServices::PathSeparator() const {
    return m_platform->PathSeparator();
}

std::string DesktopServices::CommandLineText() {
    return m_platform->CommandLineText();
}

void DesktopServices::EndProgram() {
    m_platform->EndProgram();
}
