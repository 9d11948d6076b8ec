// The Options window on its own: layout, loading, saving, closing and the choosers.
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QtTest>
#include <deque>
#include <sys/stat.h>

#include "core/ini_engine.h"
#include "core/settings.h"
#include "core/texts.h"
#include "main_window/Appearance.h"
#include "options_window/LintaraOptions.h"
#include "tests/mock/FakeServices.h"
#include "tests/support/TempFolder.h"
#include "tests/support/Unprivileged.h"

using lintara::test::FakeServices;
using lintara::test::ReadFile;
using lintara::test::TempFolder;
using lintara::test::WriteFile;

namespace {

struct Key {
    const char* section;
    const char* key;
    const char* field;  // the text box, or none for the tag
};

// The thirteen keys in the order they are read and written.
const Key kKeys[] = {
    {"RemoteDesktop", "Program", "TSText"},
    {"RemoteDesktop", "Options", "TSCommandLineOptionsText"},
    {"RDPConsole", "Program", "RDPConsoleText"},
    {"RDPConsole", "Options", "RDPConsoleCommandLineOptionsText"},
    {"VNC", "Program", "VNCText"},
    {"VNC", "Options", "VNCCommandLineOptionsText"},
    {"Telnet", "Program", "TelnetText"},
    {"Telnet", "Options", "TelnetCommandLineOptionsText"},
    {"SSH", "Program", "SSHText"},
    {"SSH", "Options", "SSHCommandLineOptionsText"},
    {"FTP", "Program", "FTPText"},
    {"FTP", "Options", "FTPCommandLineOptionsText"},
    {"DefaultConnection", "Type", nullptr},
};

const char* const kOptionButtons[] = {"TermServiceOption", "RDPConsoleOption", "VNCOption",
                                      "TelnetOption",      "SSHOption",        "PingOption"};

// The stored value as the settings functions read it (no outer blanks); none when missing.
std::optional<std::string> Stored(const std::string& path, const char* section, const char* key) {
    const std::string missing = "\x01missing";
    const std::string value = lintara::ini::GetProfileString(ReadFile(path), section, key, missing,
                                                             lintara::ini::kUnlimited);
    if (value == missing) return std::nullopt;
    return value;
}

QString Checked(const LintaraOptions& window) {
    QString name;
    for (const char* option : kOptionButtons) {
        if (window.findChild<QRadioButton*>(option)->isChecked()) name += option;
    }
    return name;
}

// The main window's part of an opening: the Options window is created afresh, loaded,
// shown, and the main window hidden. Choices are what the file-open dialog returns.
struct Session {
    TempFolder folder;
    FakeServices services;
    QWidget mainWindow;
    std::deque<QString> choices;
    int dialogsShown = 0;

    Session() { services.applicationFolder = folder.path().string(); }
    std::string settings() const { return folder.file("Lintara.ini"); }

    LintaraOptions* open() {
        auto* window = new LintaraOptions(
            services,
            [this] {
                ++dialogsShown;
                if (choices.empty()) return QString();
                QString choice = choices.front();
                choices.pop_front();
                return choice;
            },
            &mainWindow);
        window->Form_Load();
        window->show();
        mainWindow.hide();
        return window;
    }
};

QLineEdit* Box(LintaraOptions* window, const char* name) {
    return window->findChild<QLineEdit*>(name);
}

void FinishClosing() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

}  // namespace

class TestOptionsWindow : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase();
    void controls_data();
    void controls();
    void theWindow();
    void focusFollowsTabOrder();
    void escAndEnterPressNothing();
    void fieldsLoadFromTheirKeys();
    void defaultType_data();
    void defaultType();
    void bytesThatAreNotUtf8_data();
    void bytesThatAreNotUtf8();
    void okWritesAllThirteenKeys();
    void closingWithoutOkWritesNothing_data();
    void closingWithoutOkWritesNothing();
    void failedSaveKeepsEverything_data();
    void failedSaveKeepsEverything();
    void chooser_data();
    void chooser();
    void lineBreaksNeverReachTheFile();
    void render();
};

void TestOptionsWindow::initTestCase() {
    QApplication::setFont(lintara::LayoutFont());  // as the program does
}

void TestOptionsWindow::controls_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("container");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QRect>("twips");
    QTest::addColumn<int>("tab");

    auto row = [](const char* name, const char* kind, const char* container, const char* caption,
                  int left, int top, int width, int height, int tab) {
        QTest::newRow(name) << QString::fromLatin1(kind) << QString::fromLatin1(container)
                            << QString::fromLatin1(caption) << QRect(left, top, width, height)
                            << tab;
    };
    const char* w = "LintaraOptions";
    row("TSFrame", "QGroupBox", w, "Remote Desktop Application", 40, 120, 6255, 1155, 2);
    row("TSText", "QLineEdit", w, "", 120, 360, 4575, 285, 1);
    row("TSChooseButton", "QPushButton", w, "Choose Program", 4800, 300, 1335, 375, 0);
    row("TSCommandLineLabel", "QLabel", "TSFrame", "Command Line Options:", 120, 750, 1695, 255, 3);
    row("TSCommandLineOptionsText", "QLineEdit", "TSFrame", "", 1920, 720, 3495, 285, 4);
    row("RDPConsoleFrame", "QGroupBox", w, "Remote Desktop Console", 40, 1440, 6255, 1155, 5);
    row("RDPConsoleText", "QLineEdit", w, "", 120, 1680, 4575, 285, 6);
    row("RDPConsoleChooseButton", "QPushButton", "RDPConsoleFrame", "Choose Program", 4800, 200,
        1335, 375, 7);
    row("RDPConsoleCommandLineLabel", "QLabel", "RDPConsoleFrame", "Command Line Options:", 120,
        750, 1695, 255, 8);
    row("RDPConsoleCommandLineOptionsText", "QLineEdit", "RDPConsoleFrame", "", 1920, 720, 3495,
        285, 9);
    row("CancelButton", "QPushButton", w, "Cancel", 5160, 9120, 1095, 375, 10);
    row("OKButton", "QPushButton", w, "OK", 3960, 9120, 1095, 375, 11);
    struct Group {
        const char *frame, *caption;
        int top;
        const char *text, *choose;
        int chooseTop;
        const char* label;
        int labelWidth;
        const char* options;
        int tab;
    };
    const Group groups[] = {
        {"VNCFrame", "VNC Application", 2760, "VNCText", "VNCChooseButton", 200,
         "VNCCommandLineLabel", 1695, "VNCCommandLineOptionsText", 12},
        {"TelnetFrame", "Telnet Application", 4080, "TelnetText", "TelnetChooseButton", 200,
         "TelnetCommandLineLabel", 1695, "TelnetCommandLineOptionsText", 17},
        {"SSHFrame", "SSH Application", 5400, "SSHText", "SSHChooseButton", 200,
         "SSHCommandLineLabel", 1695, "SSHCommandLineOptionsText", 22},
        {"Frame1", "FTP Application", 6720, "FTPText", "FTPChooseButton", 240, "Label1", 1815,
         "FTPCommandLineOptionsText", 34},
    };
    for (const Group& g : groups) {
        row(g.frame, "QGroupBox", w, g.caption, 40, g.top, 6255, 1155, g.tab);
        row(g.text, "QLineEdit", g.frame, "", 120, 240, 4575, 285, g.tab + 1);
        row(g.choose, "QPushButton", g.frame, "Choose Program", 4800, g.chooseTop, 1335, 375,
            g.tab + 2);
        row(g.label, "QLabel", g.frame, "Command Line Options:", 120, 750, g.labelWidth, 255,
            g.tab + 3);
        row(g.options, "QLineEdit", g.frame, "", 1920, 720, 3495, 285, g.tab + 4);
    }
    row("DefalutFrame", "QGroupBox", w, "Defalut Connection Type", 40, 8040, 6255, 975, 27);
    const char* d = "DefalutFrame";
    row("TermServiceOption", "QRadioButton", d, "Remote Desktop", 240, 360, 975, 375, 28);
    row("RDPConsoleOption", "QRadioButton", d, "RDP Console", 1320, 240, 1095, 615, 29);
    row("VNCOption", "QRadioButton", d, "VNC", 2640, 360, 735, 375, 30);
    row("TelnetOption", "QRadioButton", d, "Telnet", 3600, 360, 855, 375, 31);
    row("SSHOption", "QRadioButton", d, "SSH", 4560, 360, 735, 375, 32);
    row("PingOption", "QRadioButton", d, "Ping", 5400, 360, 735, 375, 33);
    for (const char* dialog : {"TSCmnDialog", "RDPConsoleCmnDialog", "VNCCmnDialog",
                               "TelnetCmnDialog", "SSHCmnDialog", "FTPCmnDialog"}) {
        row(dialog, "FileOpenDialog", w, "", 0, 0, 0, 0, -1);
    }
}

void TestOptionsWindow::controls() {
    QFETCH(QString, kind);
    QFETCH(QString, container);
    QFETCH(QString, caption);
    QFETCH(QRect, twips);
    QFETCH(int, tab);
    FakeServices services;
    LintaraOptions window(services, {}, nullptr);
    QObject* control = window.findChild<QObject*>(QString::fromLatin1(QTest::currentDataTag()));
    QVERIFY(control);
    QCOMPARE(QString::fromLatin1(control->metaObject()->className()), kind);
    QCOMPARE(control->parent()->objectName(), container);

    auto* widget = qobject_cast<QWidget*>(control);
    if (!widget) {  // a dialog: invisible, no place, nothing chosen yet
        QVERIFY(static_cast<FileOpenDialog*>(control)->FileName.isEmpty());
        return;
    }
    auto px = [](int t) { return static_cast<int>(std::lround(t / 15.0)); };
    QCOMPARE(widget->geometry(),
             QRect(px(twips.x()), px(twips.y()), px(twips.width()), px(twips.height())));
    QCOMPARE(window.TabIndex(widget), tab);
    QVERIFY(widget->isEnabled());
    QVERIFY(!widget->isHidden());
    QString text;
    if (auto* frame = qobject_cast<QGroupBox*>(widget)) text = frame->title();
    if (auto* label = qobject_cast<QLabel*>(widget)) text = label->text();
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) text = button->text();
    if (auto* box = qobject_cast<QLineEdit*>(widget)) {
        text = box->text();
        QVERIFY(box->maxLength() >= std::numeric_limits<int>::max());  // no length limit
    }
    QCOMPARE(text, caption);
    if (auto* option = qobject_cast<QRadioButton*>(widget)) QVERIFY(!option->isChecked());
    const QString tip = QTest::currentDataTag() == QLatin1String("RDPConsoleFrame")
                            ? QStringLiteral("Note: Should be same as above.")
                            : QString();
    QCOMPARE(widget->toolTip(), tip);
    // Controls of the window that stand over a frame are drawn above it.
    if (container == QLatin1String("LintaraOptions") && kind != QLatin1String("QGroupBox")) {
        QCOMPARE(window.childAt(widget->geometry().center()), widget);
    }
}

void TestOptionsWindow::theWindow() {
    FakeServices services;
    QWidget mainWindow;
    LintaraOptions window(services, {}, &mainWindow);
    window.setAttribute(Qt::WA_DeleteOnClose, false);  // on the stack here
    QCOMPARE(window.objectName(), QStringLiteral("LintaraOptions"));
    QCOMPARE(window.windowTitle(), QStringLiteral(" Lintara Options"));
    QCOMPARE(window.minimumSize(), QSize(422, 640));
    QCOMPARE(window.maximumSize(), QSize(422, 640));
    const Qt::WindowFlags flags = window.windowFlags();
    QCOMPARE(window.windowType(), Qt::Dialog);
    QVERIFY(flags & Qt::WindowTitleHint);
    QVERIFY(flags & Qt::WindowSystemMenuHint);
    QVERIFY(flags & Qt::WindowCloseButtonHint);
    QVERIFY(flags & Qt::CustomizeWindowHint);  // only the hints asked for
    QVERIFY(!(flags & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
    // Owned by the main window, so it has no taskbar button of its own.
    QCOMPARE(window.parentWidget(), &mainWindow);
    QVERIFY(window.Tag.isEmpty());

    // 45 controls: every widget and dialog with a name is one of them.
    int named = 0;
    for (QObject* child : window.findChildren<QObject*>()) {
        if (!child->objectName().isEmpty() && !child->objectName().startsWith(QLatin1String("qt_")))
            ++named;
    }
    QCOMPARE(named, 45);
    for (QWidget* child : window.findChildren<QWidget*>()) {
        if (child != window.RDPConsoleFrame)
            QVERIFY2(child->toolTip().isEmpty(), qPrintable(child->objectName()));
    }

    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(window.size(), QSize(422, 640));
    const QRect screen = window.screen()->availableGeometry();
    QVERIFY(std::abs(window.frameGeometry().center().x() - screen.center().x()) <= 1);
    QVERIFY(window.frameGeometry().top() >= screen.top());
}

void TestOptionsWindow::focusFollowsTabOrder() {
    FakeServices services;
    LintaraOptions window(services, {}, nullptr);
    window.setAttribute(Qt::WA_DeleteOnClose, false);
    window.SSHOption->setChecked(true);  // Tab stops at the selected button of a group
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QCOMPARE(QApplication::focusWidget(), window.TSChooseButton);
    QList<QWidget*> expected = {
        window.TSText,
        window.TSCommandLineOptionsText,
        window.RDPConsoleText,
        window.RDPConsoleChooseButton,
        window.RDPConsoleCommandLineOptionsText,
        window.CancelButton,
        window.OKButton,
        window.VNCText,
        window.VNCChooseButton,
        window.VNCCommandLineOptionsText,
        window.TelnetText,
        window.TelnetChooseButton,
        window.TelnetCommandLineOptionsText,
        window.SSHText,
        window.SSHChooseButton,
        window.SSHCommandLineOptionsText,
        window.SSHOption,
        window.FTPText,
        window.FTPChooseButton,
        window.FTPCommandLineOptionsText,
        window.TSChooseButton,
    };
    for (QWidget* next : expected) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), next);
    }
    // Backwards too, entering the group at its selected button.
    std::reverse(expected.begin(), expected.end());
    expected.removeFirst();
    expected.append(window.TSChooseButton);
    for (QWidget* next : expected) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
        QCOMPARE(QApplication::focusWidget(), next);
    }
}

void TestOptionsWindow::escAndEnterPressNothing() {
    Session session;
    QPointer<LintaraOptions> window = session.open();
    QVERIFY(QTest::qWaitForWindowActive(window));
    QTest::keyClick(window->TSChooseButton, Qt::Key_Escape);
    window->TSText->setFocus();
    QTest::keyClick(window->TSText, Qt::Key_Return);
    QTest::keyClick(window->TSText, Qt::Key_Enter);
    QTest::keyClick(window->TSText, Qt::Key_Escape);
    FinishClosing();
    QVERIFY(window && window->isVisible());
    QVERIFY(!QFile::exists(QString::fromStdString(session.settings())));
    QCOMPARE(session.dialogsShown, 0);

    // Enter on a button that has the focus presses it.
    window->OKButton->setFocus();
    QTest::keyClick(window->OKButton, Qt::Key_Return);
    FinishClosing();
    QVERIFY(!window);
    QVERIFY(QFile::exists(QString::fromStdString(session.settings())));
}

void TestOptionsWindow::fieldsLoadFromTheirKeys() {
    Session session;
    // Blanks at both ends go, blanks inside stay; keys absent from the file load empty.
    WriteFile(session.settings(),
              "[RemoteDesktop]\r\nProgram=  /usr/bin/rdp one  \r\nOptions=/v:HOST  /f\r\n"
              "[RDPConsole]\r\nProgram=/usr/bin/rdp two\r\n"
              "[VNC]\r\nOptions=HOST::PORT\r\n"
              "[Telnet]\r\nProgram=\r\nOptions=   \r\n"
              "[SSH]\r\nProgram=/usr/bin/ssh\r\nOptions=-p PORT HOST\r\n"
              "[FTP]\r\nOptions=ftp://HOST:PORT/\r\nProgram=/usr/bin/ftp\r\n"
              "[DefaultConnection]\r\nType=Telnet\r\n");
    const std::map<QString, QString> expected = {
        {"TSText", "/usr/bin/rdp one"},
        {"TSCommandLineOptionsText", "/v:HOST  /f"},
        {"RDPConsoleText", "/usr/bin/rdp two"},
        {"RDPConsoleCommandLineOptionsText", ""},
        {"VNCText", ""},
        {"VNCCommandLineOptionsText", "HOST::PORT"},
        {"TelnetText", ""},
        {"TelnetCommandLineOptionsText", ""},
        {"SSHText", "/usr/bin/ssh"},
        {"SSHCommandLineOptionsText", "-p PORT HOST"},
        {"FTPText", "/usr/bin/ftp"},
        {"FTPCommandLineOptionsText", "ftp://HOST:PORT/"},
    };
    QPointer<LintaraOptions> window = session.open();
    for (const auto& [name, text] : expected) {
        QCOMPARE(window->findChild<QLineEdit*>(name)->text(), text);
    }
    QCOMPARE(Checked(*window), QStringLiteral("TelnetOption"));
    QCOMPARE(window->Tag, QStringLiteral("Telnet"));
    QVERIFY(!session.mainWindow.isVisible());
    QVERIFY(window->isVisible());
    QCOMPARE(window->SettingsPath, session.settings());
    QVERIFY(session.services.messages.empty());
    delete window;
}

void TestOptionsWindow::defaultType_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("option");
    QTest::addColumn<QString>("tag");
    auto type = [](const char* value) {
        return QByteArray("[SSH]\r\nProgram=x\r\n[DefaultConnection]\r\nType=") + value + "\r\n";
    };
    QTest::newRow("RemoteDesktop") << type("RemoteDesktop") << "TermServiceOption"
                                   << "RemoteDesktop";
    QTest::newRow("RDPConsole") << type("RDPConsole") << "RDPConsoleOption"
                                << "RDPConsole";
    QTest::newRow("VNC") << type("VNC") << "VNCOption"
                         << "VNC";
    QTest::newRow("Telnet") << type("Telnet") << "TelnetOption"
                            << "Telnet";
    QTest::newRow("SSH") << type("SSH") << "SSHOption"
                         << "SSH";
    QTest::newRow("Ping") << type("Ping") << "PingOption"
                          << "Ping";
    QTest::newRow("blanks around") << type("  VNC  ") << "VNCOption"
                                   << "VNC";
    QTest::newRow("main window's key") << type("TermService") << "PingOption"
                                       << "Ping";
    QTest::newRow("lower case") << type("ssh") << "PingOption"
                                << "Ping";
    QTest::newRow("blank inside") << type("Remote Desktop") << "PingOption"
                                  << "Ping";
    QTest::newRow("empty") << type("") << "PingOption"
                           << "Ping";
    QTest::newRow("HTTP") << type("HTTP") << "PingOption"
                          << "Ping";
    QTest::newRow("no section") << QByteArray("[SSH]\r\nProgram=x\r\n") << "PingOption"
                                << "Ping";
    QTest::newRow("no file") << QByteArray() << "PingOption"
                             << "Ping";
}

void TestOptionsWindow::defaultType() {
    QFETCH(QByteArray, file);
    QFETCH(QString, option);
    QFETCH(QString, tag);
    Session session;
    if (!file.isNull()) WriteFile(session.settings(), file.toStdString());
    QPointer<LintaraOptions> window = session.open();
    QCOMPARE(Checked(*window), option);
    QCOMPARE(window->Tag, tag);

    // OK stores exactly what the window shows.
    window->OKButton->click();
    QCOMPARE(Stored(session.settings(), "DefaultConnection", "Type"), tag.toStdString());
}

void TestOptionsWindow::bytesThatAreNotUtf8_data() {
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("typed");  // replaces the field's text; none: untouched
    QTest::addColumn<QByteArray>("saved");
    const QByteArray cp1252 =
        "C:\\Programme\\Fern\xfc"
        "bertragung \x80\x93x\x94.exe";
    const QString decoded = QString::fromUtf8("C:\\Programme\\Fernübertragung €“x”.exe");
    QTest::newRow("code page, untouched") << cp1252 << decoded << QString() << cp1252;
    QTest::newRow("code page, edited")
        << cp1252 << decoded << QString::fromUtf8("/opt/über") << QByteArray("/opt/über");
    QTest::newRow("code page, retyped the same") << cp1252 << decoded << decoded << cp1252;
    QTest::newRow("UTF-8") << QByteArray("/opt/Fernübertragung/€")
                           << QString::fromUtf8("/opt/Fernübertragung/€") << QString()
                           << QByteArray("/opt/Fernübertragung/€");
    QTest::newRow("stray continuation byte")
        << QByteArray("a\xa9z") << QString::fromUtf8("a©z") << QString() << QByteArray("a\xa9z");
}

void TestOptionsWindow::bytesThatAreNotUtf8() {
    QFETCH(QByteArray, stored);
    QFETCH(QString, shown);
    QFETCH(QString, typed);
    QFETCH(QByteArray, saved);
    Session session;
    WriteFile(session.settings(), "[VNC]\r\nProgram=" + stored.toStdString() +
                                      "\r\nOptions=" + stored.toStdString() + "\r\n");
    QPointer<LintaraOptions> window = session.open();
    QCOMPARE(window->VNCText->text(), shown);
    QCOMPARE(window->VNCCommandLineOptionsText->text(), shown);
    if (!typed.isNull()) {
        window->VNCText->selectAll();
        window->VNCText->insert(typed);  // as typed or pasted
        QCOMPARE(window->VNCText->text(), typed);
    }
    window->OKButton->click();
    QCOMPARE(Stored(session.settings(), "VNC", "Program"), saved.toStdString());
    QCOMPARE(Stored(session.settings(), "VNC", "Options"), stored.toStdString());
}

void TestOptionsWindow::okWritesAllThirteenKeys() {
    Session session;
    const std::string longValue(40000, 'v');
    WriteFile(session.settings(),
              "; kept\r\n[RemoteDesktop]\r\nProgram=/usr/bin/rdp\r\n"
              "[VNC]\r\nOptions=" +
                  longValue + "\r\n[Other]\r\nkey=kept\r\n");
    QPointer<LintaraOptions> window = session.open();
    QCOMPARE(window->VNCCommandLineOptionsText->text().size(), 40000);

    window->SSHText->clear();
    QTest::keyClicks(window->SSHText, "  /usr/bin/ssh");
    QTest::keyClicks(window->SSHCommandLineOptionsText, "-p  PORT HOST ");
    window->TSText->clear();  // an emptied field is stored empty
    QTest::mouseClick(window->RDPConsoleOption, Qt::LeftButton, {},
                      QPoint(6, window->RDPConsoleOption->height() / 2));
    QCOMPARE(window->Tag, QStringLiteral("RDPConsole"));
    QTest::mouseClick(window->OKButton, Qt::LeftButton);
    FinishClosing();

    QVERIFY(!window);
    QVERIFY(session.mainWindow.isVisible());
    QVERIFY(session.services.messages.empty());
    const std::string path = session.settings();
    for (const Key& k : kKeys) QVERIFY2(Stored(path, k.section, k.key), k.key);
    QCOMPARE(Stored(path, "RemoteDesktop", "Program"), std::string());
    // Saved as typed; reading drops the outer blanks again.
    QVERIFY(ReadFile(path).find("[SSH]\r\nProgram=  /usr/bin/ssh\r\nOptions=-p  PORT HOST \r\n") !=
            std::string::npos);
    QCOMPARE(Stored(path, "VNC", "Options"), longValue);
    QCOMPARE(Stored(path, "FTP", "Program"), std::string());
    QCOMPARE(Stored(path, "DefaultConnection", "Type"), std::string("RDPConsole"));
    QCOMPARE(Stored(path, "Other", "key"), std::string("kept"));
    QVERIFY(ReadFile(path).rfind("; kept\r\n[RemoteDesktop]\r\nProgram=\r\n", 0) == 0);

    // The next opening is a new window showing what was saved.
    QPointer<LintaraOptions> again = session.open();
    QCOMPARE(again->SSHText->text(), QStringLiteral("/usr/bin/ssh"));
    QCOMPARE(again->SSHCommandLineOptionsText->text(), QStringLiteral("-p  PORT HOST"));
    QCOMPARE(again->TSText->text(), QString());
    QCOMPARE(Checked(*again), QStringLiteral("RDPConsoleOption"));
    QCOMPARE(again->Tag, QStringLiteral("RDPConsole"));
    QVERIFY(!session.mainWindow.isVisible());
    delete again;
}

void TestOptionsWindow::closingWithoutOkWritesNothing_data() {
    QTest::addColumn<QString>("edit");
    QTest::addColumn<QString>("closeBy");
    for (const char* closeBy : {"Cancel", "title bar"}) {
        for (const char* edit : {"nothing", "typing", "option button", "chooser"}) {
            QTest::addRow("%s, %s", edit, closeBy) << edit << closeBy;
        }
    }
}

void TestOptionsWindow::closingWithoutOkWritesNothing() {
    QFETCH(QString, edit);
    QFETCH(QString, closeBy);
    Session session;
    const std::string before =
        "[SSH]\r\nProgram=/usr/bin/ssh\r\nOptions=HOST\r\n[DefaultConnection]\r\nType=SSH\r\n";
    WriteFile(session.settings(), before);
    session.choices = {QStringLiteral("/opt/other ssh/ssh")};
    QPointer<LintaraOptions> window = session.open();
    if (edit == QLatin1String("typing")) QTest::keyClicks(window->SSHText, "x");
    if (edit == QLatin1String("option button")) window->VNCOption->click();
    if (edit == QLatin1String("chooser")) window->SSHChooseButton->click();
    if (edit != QLatin1String("nothing")) {
        QVERIFY(window->SSHText->text() != QLatin1String("/usr/bin/ssh") ||
                window->Tag == QLatin1String("VNC"));
    }
    if (closeBy == QLatin1String("Cancel")) {
        QTest::mouseClick(window->CancelButton, Qt::LeftButton);
    } else {
        QVERIFY(window->close());  // what the title bar's close button does
    }
    FinishClosing();
    QVERIFY(!window);
    QVERIFY(session.mainWindow.isVisible());
    QCOMPARE(ReadFile(session.settings()), before);

    QPointer<LintaraOptions> again = session.open();
    QCOMPARE(again->SSHText->text(), QStringLiteral("/usr/bin/ssh"));
    QCOMPARE(Checked(*again), QStringLiteral("SSHOption"));
    delete again;
}

void TestOptionsWindow::failedSaveKeepsEverything_data() {
    QTest::addColumn<QString>("how");
    QTest::newRow("folder is a file") << "folder is a file";
    QTest::newRow("settings file is a folder") << "settings file is a folder";
    QTest::newRow("read-only file and folder") << "read-only";
}

void TestOptionsWindow::failedSaveKeepsEverything() {
    QFETCH(QString, how);
    Session session;
    const std::string before = "[SSH]\r\nProgram=/usr/bin/ssh\r\n";
    std::string path = session.settings();
    if (how == QLatin1String("folder is a file")) {
        WriteFile(session.folder.file("plain"), before);
        session.services.applicationFolder = session.folder.file("plain");
        path = session.folder.file("plain") + "/Lintara.ini";
    } else if (how == QLatin1String("settings file is a folder")) {
        std::filesystem::create_directory(path);
    } else {
        WriteFile(path, before);
    }
    QPointer<LintaraOptions> window = session.open();
    QCOMPARE(window->SettingsPath, path);
    window->SSHText->setText(QStringLiteral("/opt/edited"));
    window->VNCOption->click();

    // Everything the user sees after a refused save, judged where the save ran.
    auto refusedAndKept = [&] {
        window->OKButton->click();
        const auto& shown = session.services.messages;
        if (shown.size() != 1) return false;
        const std::string prefix = "Could not save the settings to " + path + ": ";
        const std::string reason =
            shown[0].text.substr(prefix.size(), shown[0].text.find('\n') - prefix.size());
        return !reason.empty() && shown[0].text == lintara::texts::SaveFailed(path, reason) &&
               shown[0].style == 16 && shown[0].title == "Error" && window && window->isVisible() &&
               !session.mainWindow.isVisible() &&
               window->SSHText->text() == QLatin1String("/opt/edited") &&
               window->Tag == QLatin1String("VNC") && window->VNCOption->isChecked();
    };
    if (how == QLatin1String("read-only")) {
        ::chmod(path.c_str(), 0444);
        ::chmod(session.folder.path().c_str(), 0555);
        QVERIFY(lintara::test::Unprivileged(
            [&] { return refusedAndKept() && ReadFile(path) == before; }));
        ::chmod(session.folder.path().c_str(), 0755);
        QCOMPARE(ReadFile(path), before);
        delete window;
        return;
    }
    QVERIFY(refusedAndKept());
    FinishClosing();
    QVERIFY(window);
    if (how == QLatin1String("folder is a file")) {
        QCOMPARE(ReadFile(session.folder.file("plain")), before);
    } else {
        QVERIFY(std::filesystem::is_directory(path));
        QVERIFY(std::filesystem::is_empty(path));
    }
    // The user can still leave without saving.
    window->CancelButton->click();
    FinishClosing();
    QVERIFY(!window);
    QVERIFY(session.mainWindow.isVisible());
}

void TestOptionsWindow::chooser_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("options");
    QTest::addColumn<QString>("choice");
    const char* units[][3] = {
        {"TSChooseButton", "TSText", "TSCommandLineOptionsText"},
        {"RDPConsoleChooseButton", "RDPConsoleText", "RDPConsoleCommandLineOptionsText"},
        {"VNCChooseButton", "VNCText", "VNCCommandLineOptionsText"},
        {"TelnetChooseButton", "TelnetText", "TelnetCommandLineOptionsText"},
        {"SSHChooseButton", "SSHText", "SSHCommandLineOptionsText"},
        {"FTPChooseButton", "FTPText", "FTPCommandLineOptionsText"},
    };
    for (const auto& unit : units) {
        QTest::addRow("%s cancelled", unit[0]) << unit[0] << unit[1] << unit[2] << QString();
        QTest::addRow("%s path with blanks", unit[0])
            << unit[0] << unit[1] << unit[2] << QStringLiteral("/opt/My Clients/client one");
    }
}

void TestOptionsWindow::chooser() {
    QFETCH(QString, button);
    QFETCH(QString, field);
    QFETCH(QString, options);
    QFETCH(QString, choice);
    Session session;
    WriteFile(session.settings(), "[SSH]\r\nProgram=/usr/bin/ssh\r\nOptions=HOST\r\n");
    session.choices = {choice};
    QPointer<LintaraOptions> window = session.open();
    auto* box = window->findChild<QLineEdit*>(field);
    auto* optionsBox = window->findChild<QLineEdit*>(options);
    box->setText(QStringLiteral("typed by hand"));
    optionsBox->setText(QStringLiteral("-x HOST"));
    QTest::mouseClick(window->findChild<QPushButton*>(button), Qt::LeftButton);
    QCOMPARE(session.dialogsShown, 1);
    QCOMPARE(box->text(), choice.isEmpty() ? QStringLiteral("typed by hand") : choice);
    QCOMPARE(optionsBox->text(), QStringLiteral("-x HOST"));
    // No other field changed.
    for (const Key& k : kKeys) {
        if (!k.field || field == QLatin1String(k.field) || options == QLatin1String(k.field))
            continue;
        const bool ssh = QLatin1String(k.section) == QLatin1String("SSH");
        const QString loaded = !ssh ? QString()
                               : QLatin1String(k.key) == QLatin1String("Program")
                                   ? QStringLiteral("/usr/bin/ssh")
                                   : QStringLiteral("HOST");
        QCOMPARE(Box(window, k.field)->text(), loaded);
    }
    delete window;
}

void TestOptionsWindow::lineBreaksNeverReachTheFile() {
    Session session;
    // A file name may hold a line break; stored raw it would add a key of its own.
    session.choices = {QStringLiteral("/tmp/evil\n[DefaultConnection]\r\nType=VNC")};
    QPointer<LintaraOptions> window = session.open();
    window->TSChooseButton->click();
    QCOMPARE(window->TSText->text(), QStringLiteral("/tmp/evil [DefaultConnection] Type=VNC"));
    window->SSHText->insert(QStringLiteral("a\nb"));
    QCOMPARE(window->SSHText->text(), QStringLiteral("a b"));
    window->OKButton->click();
    QCOMPARE(Stored(session.settings(), "DefaultConnection", "Type"), std::string("Ping"));
    QCOMPARE(Stored(session.settings(), "RemoteDesktop", "Program"),
             std::string("/tmp/evil [DefaultConnection] Type=VNC"));
    QCOMPARE(Stored(session.settings(), "SSH", "Program"), std::string("a b"));
}

void TestOptionsWindow::render() {
    Session session;
    WriteFile(session.settings(),
              "[RemoteDesktop]\r\nProgram=/usr/bin/xfreerdp\r\nOptions=/v:HOST:PORT\r\n"
              "[SSH]\r\nProgram=/usr/bin/ssh\r\nOptions=-p PORT HOST\r\n"
              "[DefaultConnection]\r\nType=SSH\r\n");
    QPointer<LintaraOptions> window = session.open();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    QVERIFY(window->grab().save(QStringLiteral(LINTARA_RENDER_FOLDER "/options_window.png")));
    delete window;
}

QTEST_MAIN(TestOptionsWindow)
#include "TestOptionsWindow.moc"
