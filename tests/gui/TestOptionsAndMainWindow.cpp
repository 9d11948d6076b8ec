// The Options window opened from the main window: what it saves is used without a restart.
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include "core/texts.h"
#include "main_window/Lintara.h"
#include "options_window/LintaraOptions.h"
#include "tests/mock/FakeServices.h"
#include "tests/support/TempFolder.h"

using lintara::test::FakeServices;
using lintara::test::TempFolder;
using lintara::test::WriteFile;

namespace {

const char* const kSettings =
    "[SSH]\r\nProgram=/old/ssh\r\nOptions=HOST\r\n[DefaultConnection]\r\nType=SSH\r\n";

// A running program: the main window loaded and shown over a settings file.
struct Program {
    TempFolder folder;
    FakeServices services;
    QString choice;  // what the file-open dialog returns
    std::unique_ptr<Lintara> main;

    Program() {
        services.applicationFolder = folder.path().string();
        services.existingFiles = {"/old/ssh", "/new/ssh", "/opt/My Clients/ssh"};
        WriteFile(folder.file("Lintara.ini"), kSettings);
        services.existingFiles.insert(folder.file("Lintara.ini"));
        main = std::make_unique<Lintara>(services, [this] { return choice; });
        main->Form_Load();
        main->show();
    }

    // Presses the icon button; the Options window that it opened.
    LintaraOptions* openOptions() {
        QTest::mouseClick(main->Options, Qt::LeftButton);
        const auto windows = main->findChildren<LintaraOptions*>();
        return windows.size() == 1 ? windows.front() : nullptr;
    }
};

void FinishClosing() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

}  // namespace

class TestOptionsAndMainWindow : public QObject {
    Q_OBJECT
  private slots:
    void savedProgramIsUsedAtNextConnect_data();
    void savedProgramIsUsedAtNextConnect();
    void savedDefaultTypeIsUsedAtNextFallback_data();
    void savedDefaultTypeIsUsedAtNextFallback();
};

void TestOptionsAndMainWindow::savedProgramIsUsedAtNextConnect_data() {
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("started");
    QTest::newRow("typed, OK") << "typed"
                               << "/new/ssh -p 22 alpha";
    QTest::newRow("chosen, OK") << "chosen"
                                << "/opt/My Clients/ssh alpha";
    QTest::newRow("typed, Cancel") << "cancelled"
                                   << "/old/ssh alpha";
}

void TestOptionsAndMainWindow::savedProgramIsUsedAtNextConnect() {
    QFETCH(QString, how);
    QFETCH(QString, started);
    Program program;
    program.main->ConnectText->setText(QStringLiteral("alpha"));

    QPointer<LintaraOptions> options = program.openOptions();
    QVERIFY(options);
    QVERIFY(options->isVisible());
    QVERIFY(!program.main->isVisible());
    QCOMPARE(options->SSHText->text(), QStringLiteral("/old/ssh"));
    if (how == QLatin1String("chosen")) {
        program.choice = QStringLiteral("/opt/My Clients/ssh");
        QTest::mouseClick(options->SSHChooseButton, Qt::LeftButton);
    } else {
        options->SSHText->setText(QStringLiteral("/new/ssh"));
        options->SSHCommandLineOptionsText->setText(QStringLiteral("-p PORT HOST"));
    }
    QTest::mouseClick(how == QLatin1String("cancelled") ? options->CancelButton : options->OKButton,
                      Qt::LeftButton);
    FinishClosing();
    QVERIFY(!options);
    QVERIFY(program.main->isVisible());
    // The main window kept what the user had entered.
    QCOMPARE(program.main->ConnectText->text(), QStringLiteral("alpha"));
    QCOMPARE(program.main->PortText->text(), QStringLiteral("22"));
    QVERIFY(program.services.started.empty());

    QTest::mouseClick(program.main->ConnectButton, Qt::LeftButton);
    QVERIFY(program.services.messages.empty());
    QCOMPARE(program.services.started, std::vector<std::string>{started.toStdString()});
}

void TestOptionsAndMainWindow::savedDefaultTypeIsUsedAtNextFallback_data() {
    QTest::addColumn<QString>("choose");  // the Options window's button
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("selected");  // the main window's button after the fallback
    QTest::addColumn<QString>("tag");
    QTest::newRow("VNC") << "VNCOption" << true << "VNCOption"
                         << "VNC";
    QTest::newRow("Remote Desktop") << "TermServiceOption" << true << "TermServiceOption"
                                    << "TermService";
    QTest::newRow("Ping") << "PingOption" << true << "PingOption"
                          << "Ping";
    QTest::newRow("VNC, then Cancel") << "VNCOption" << false << "SSHOption"
                                      << "SSH";
}

void TestOptionsAndMainWindow::savedDefaultTypeIsUsedAtNextFallback() {
    QFETCH(QString, choose);
    QFETCH(bool, ok);
    QFETCH(QString, selected);
    QFETCH(QString, tag);
    Program program;
    program.main->TelnetOption->click();

    QPointer<LintaraOptions> options = program.openOptions();
    QVERIFY(options);
    QCOMPARE(options->Tag, QStringLiteral("SSH"));
    QTest::mouseClick(options->findChild<QRadioButton*>(choose), Qt::LeftButton, {},
                      QPoint(6, options->SSHOption->height() / 2));
    QTest::mouseClick(ok ? options->OKButton : options->CancelButton, Qt::LeftButton);
    FinishClosing();
    QVERIFY(!options);

    // Coming back changes nothing in the main window: the new default waits for its turn.
    QVERIFY(program.main->TelnetOption->isChecked());
    QCOMPARE(program.main->Tag, QStringLiteral("Telnet"));

    // "Map a Drive" without a host falls back to the default type, read afresh.
    program.main->ConnectText->clear();
    QTest::mouseClick(program.main->MapDriveOption, Qt::LeftButton, {},
                      QPoint(6, program.main->MapDriveOption->height() / 2));
    QCOMPARE(program.services.messages.size(), std::size_t(1));
    QCOMPARE(program.services.messages[0].text, std::string(lintara::texts::kHostRequiredForDrive));
    QVERIFY(program.main->findChild<QRadioButton*>(selected)->isChecked());
    QCOMPARE(program.main->Tag, tag);
}

QTEST_MAIN(TestOptionsAndMainWindow)
#include "TestOptionsAndMainWindow.moc"
