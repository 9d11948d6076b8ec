// The main window's behaviour: start-up, type selection, Connect, the launch and the
// drive-mapping panel, driven through real widgets with recording services.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <algorithm>
#include <memory>

#include "core/command_line.h"
#include "core/texts.h"
#include "main_window/Lintara.h"
#include "tests/mock/FakeServices.h"
#include "tests/support/TempFolder.h"

using lintara::test::FakeServices;
using lintara::test::ShownMessage;
using lintara::test::TempFolder;
namespace texts = lintara::texts;

Q_DECLARE_METATYPE(std::vector<std::string>)

namespace {

// Client programs of the configured types, as the settings below name them.
const char* const kConfiguredIni =
    "[RemoteDesktop]\nProgram=/opt/clients/rdp\nOptions=-v HOST:PORT\n"
    "[RDPConsole]\nProgram=/opt/clients/rdp\nOptions=-v HOST:PORT /admin\n"
    "[VNC]\nProgram=/opt/clients/vnc\nOptions=HOST::PORT\n"
    "[Telnet]\nProgram=/opt/clients/telnet\nOptions=HOST PORT\n"
    "[SSH]\nProgram=/opt/clients/ssh\nOptions=-p PORT HOST\n"
    "[FTP]\nProgram=/opt/clients/ftp\nOptions=  ftp://HOST:PORT/  \n";

const char* const kBrowser = "\"C:\\Program Files\\Internet Explorer\\iexplore.exe\"";

ShownMessage Error(const std::string& text) {
    return {text, 16, "Error"};
}

// A main window over a settings file in a fresh folder.
struct Harness {
    explicit Harness(const std::string& ini = kConfiguredIni, const std::string& commandLine = {},
                     bool settingsFileExists = true) {
        services.applicationFolder = folder.path().string();
        settingsPath = folder.file("Lintara.ini");
        if (settingsFileExists) {
            lintara::test::WriteFile(settingsPath, ini);
            services.existingFiles.insert(settingsPath);
        }
        for (const char* client : {"/opt/clients/rdp", "/opt/clients/vnc", "/opt/clients/telnet",
                                   "/opt/clients/ssh", "/opt/clients/ftp"}) {
            services.existingFiles.insert(client);
        }
        services.commandLineText = commandLine;
        window = std::make_unique<Lintara>(services, FileOpenFunction{});
    }
    // Loads and shows the window, as the program does.
    Harness& Start() {
        window->Form_Load();
        window->show();
        return *this;
    }
    QRadioButton* Option(const QString& name) { return window->findChild<QRadioButton*>(name); }
    void Click(QAbstractButton* button) {
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
    }
    void TypeHost(const QString& host) {
        window->ConnectText->clear();
        QTest::keyClicks(window->ConnectText, host);
    }
    std::vector<QWidget*> Panel() const {
        return {window->DriveLabel,   window->DriveText,     window->ShareLabel,
                window->ShareText,    window->Anonymous,     window->UserNameLabel,
                window->UserNameText, window->PasswordLabel, window->PasswordText};
    }
    QStringList Shares() const {
        QStringList shares;
        for (int i = 0; i < window->ShareText->count(); ++i) {
            shares << window->ShareText->itemText(i);
        }
        return shares;
    }
    QList<QRadioButton*> Checked() const {
        QList<QRadioButton*> checked;
        for (auto* option : window->ConnectToFrame->findChildren<QRadioButton*>()) {
            if (option->isChecked()) checked << option;
        }
        return checked;
    }

    TempFolder folder;
    FakeServices services;
    std::string settingsPath;
    std::unique_ptr<Lintara> window;
};

QStringList ShareList(const QString& host) {
    QStringList shares;
    for (const char* suffix :
         {"\\C$", "\\D$", "\\E$", "\\F$", "\\G$", "\\H$", "\\I$", "\\J$", "\\ADMIN$"}) {
        shares << QStringLiteral("\\\\") + host + QString::fromLatin1(suffix);
    }
    return shares;
}

}  // namespace

class TestMainWindow : public QObject {
    Q_OBJECT
  private slots:
    void missingSettingsFileEndsTheProgram();
    void hostFromCommandLine_data();
    void hostFromCommandLine();
    void defaultType_data();
    void defaultType();
    void startUpState();
    void typeSelection_data();
    void typeSelection();
    void connectChecks_data();
    void connectChecks();
    void launch_data();
    void launch();
    void launchThatShowsAMessage_data();
    void launchThatShowsAMessage();
    void failedStartKeepsTheWindow_data();
    void failedStartKeepsTheWindow();
    void mapDriveWithoutHostFallsBack_data();
    void mapDriveWithoutHostFallsBack();
    void shareList();
    void shareListFollowsTheHost();
    void anonymousRule();
    void optionsButtonSwapsWindows();
};

void TestMainWindow::missingSettingsFileEndsTheProgram() {
    Harness h({}, "lintara://server1/", /*settingsFileExists=*/false);
    h.window->Form_Load();
    QCOMPARE(h.services.messages,
             (std::vector<ShownMessage>{
                 {"Help! Can't find " + h.settingsPath + "!     ", 16, "Fatal Error"}}));
    QCOMPARE(h.services.endCount, 1);
    QVERIFY(!h.window->isVisible());
    // Nothing after the check ran: no host taken, no type selected, no drive letters.
    QVERIFY(h.window->ConnectText->text().isEmpty());
    QVERIFY(h.Checked().isEmpty());
    QCOMPARE(h.window->DriveText->count(), 0);
}

void TestMainWindow::hostFromCommandLine_data() {
    QTest::addColumn<QString>("argument");  // the program's one argument, as a link hands it
    QTest::addColumn<QString>("host");      // what the host box then holds
    QTest::addColumn<bool>("refused");      // the command line's host was refused, with a message
    QTest::addColumn<bool>("hostBoxFirst");

    const auto taken = [](const char* row, const QString& argument, const QString& host) {
        QTest::newRow(row) << argument << host << false << false;
    };
    const auto refused = [](const char* row, const QString& host) {
        QTest::newRow(row) << QStringLiteral("lintara://") + host + QStringLiteral("/") << QString()
                           << true << false;
    };
    QTest::newRow("none") << ""
                          << "" << false << true;
    taken("link", "lintara://server1/", "server1");
    taken("no closing slash", "lintara://10.0.0.5", "10.0.0.5");
    taken("more segments", "lintara://srv.example.org/a/b", "srv.example.org");
    taken("final dot", "lintara://srv.example.org./", "srv.example.org.");
    taken("underscore and digits", "lintara://db_01.example/", "db_01.example");
    taken("inner hyphen", "lintara://my-host/", "my-host");
    taken("253 characters", "lintara://" + QString(125, 'a') + "." + QString(127, 'b') + "/",
          QString(125, 'a') + "." + QString(127, 'b'));
    taken("IPv6", "lintara://::1/", "::1");
    taken("IPv6 full", "lintara://2001:db8:0:0:0:0:0:1/", "2001:db8:0:0:0:0:0:1");
    taken("IPv6 in brackets", "lintara://[fe80::1]/", "[fe80::1]");
    taken("IPv4 in IPv6", "lintara://::ffff:10.0.0.1/", "::ffff:10.0.0.1");
    // Nothing after the second "/": the host box stays empty, and nothing is wrong.
    taken("two slashes only", "lintara://", "");
    taken("no slash", "server1", "");
    taken("one slash", "a/b", "");

    refused("option", "-oProxyCommand=evil");
    refused("blank", "two words");
    refused("tab", "a\tb");
    refused("line break", "a\nb");
    refused("double quote", "a\"b");
    refused("single quote", "a'b");
    for (const char* meta :
         {";", "&", "|", "$", "`", "(", ")", "<", ">", "*", "!", "{", "}", "~", "=", "+", ","}) {
        QTest::newRow(qPrintable(QStringLiteral("metacharacter ") + meta))
            << QStringLiteral("lintara://x") + QLatin1String(meta) + QStringLiteral("y/")
            << QString() << true << false;
    }
    refused("commands", "x;cd;touch${IFS}pwned");
    refused("substitution", "$(touch pwned)");
    refused("backquotes", "`touch pwned`");
    refused("right-to-left override", QString(QChar(0x202E)) + "elpmaxe.knab");
    refused("non-ASCII letter", QStringLiteral("b\u00fccher.example"));
    refused("percent", "a%20b");
    refused("user part", "good.example@evil.example");
    refused("backslash", "a\\b");
    refused("question mark", "a?b");
    refused("hash", "a#b");
    refused("port", "host:8080");
    refused("254 characters", QString(126, 'a') + "." + QString(127, 'b'));
    refused("100000 characters", QString(100000, 'a'));
    refused("label begins with hyphen", "a.-b");
    refused("label ends with hyphen", "a-.b");
    refused("empty label", "a..b");
    refused("only a dot", ".");
    refused("IPv4 with a fifth part", "10.0.0.1.5");
    refused("IPv4 out of range", "10.0.0.256");
    refused("IPv4 too short", "10.0.1");
    refused("IPv6 with a zone", "fe80::1%eth0");
    refused("IPv6 malformed", "1::2::3");
    refused("IPv6 half bracketed", "[::1");
    refused("brackets around a name", "[server1]");
}

void TestMainWindow::hostFromCommandLine() {
    QFETCH(QString, argument);
    QFETCH(QString, host);
    QFETCH(bool, refused);
    QFETCH(bool, hostBoxFirst);

    // The command line as the program itself reads it from its arguments.
    const QByteArray bytes = argument.toUtf8();
    std::string program = "Lintara";
    char* argv[] = {program.data(), const_cast<char*>(bytes.constData()), nullptr};
    const std::string commandLine =
        lintara::CreatePlatformServices(argument.isEmpty() ? 1 : 2, argv)->CommandLineText();
    Harness h(kConfiguredIni, commandLine);
    h.Start();
    QVERIFY(QTest::qWaitForWindowActive(h.window.get()));
    QCOMPARE(h.window->ConnectText->text(), host);
    if (!refused) {
        QVERIFY(h.services.messages.empty());
    } else {
        const std::string ignored = lintara::HostFromCommandLine(commandLine);
        QCOMPARE(h.services.messages,
                 (std::vector<ShownMessage>{Error(texts::CommandLineHostIgnored(
                     lintara::ShownSafely(ignored), lintara::UntrustedHostProblem(ignored)))}));
        // What the message shows is one short line of plain characters.
        const std::string& shown = h.services.messages.front().text;
        QVERIFY(shown.size() < 200);
        QVERIFY(
            std::all_of(shown.begin(), shown.end(), [](char c) { return c >= 0x20 && c < 0x7F; }));
    }
    QCOMPARE(h.window->TabIndex(h.window->ConnectText), hostBoxFirst ? 0 : 1);
    QCOMPARE(h.window->TabIndex(h.window->ConnectButton), hostBoxFirst ? 1 : 0);
    QCOMPARE(h.window->TabIndex(h.window->PortText), 2);
    QCOMPARE(QApplication::focusWidget(), hostBoxFirst
                                              ? static_cast<QWidget*>(h.window->ConnectText)
                                              : static_cast<QWidget*>(h.window->ConnectButton));
    // A host from the command line leaves the share list alone until "Map a Drive".
    QCOMPARE(h.window->ShareText->count(), 0);
}

void TestMainWindow::defaultType_data() {
    QTest::addColumn<QString>("ini");
    QTest::addColumn<QString>("option");
    QTest::addColumn<QString>("port");
    QTest::addColumn<QString>("tag");

    QTest::newRow("no section") << "[SSH]\nProgram=x\n"
                                << "SSHOption"
                                << "22"
                                << "SSH";
    QTest::newRow("empty file") << ""
                                << "SSHOption"
                                << "22"
                                << "SSH";
    auto type = [](const char* value) {
        return QStringLiteral("[DefaultConnection]\nType=") + QString::fromLatin1(value) + "\n";
    };
    QTest::newRow("RemoteDesktop") << type("RemoteDesktop") << "TermServiceOption"
                                   << "3389"
                                   << "TermService";
    QTest::newRow("Remote Desktop") << type("Remote Desktop") << "TermServiceOption"
                                    << "3389"
                                    << "TermService";
    QTest::newRow("RDPConsole") << type("  RDP Console ") << "RDPConsoleOption"
                                << "3389"
                                << "RDPConsole";
    QTest::newRow("VNC") << type("VNC") << "VNCOption"
                         << "5900"
                         << "VNC";
    QTest::newRow("Telnet") << type("Telnet") << "TelnetOption"
                            << "23"
                            << "Telnet";
    QTest::newRow("SSH") << type("SSH") << "SSHOption"
                         << "22"
                         << "SSH";
    QTest::newRow("Ping") << type("Ping") << "PingOption"
                          << "N/A"
                          << "Ping";
    QTest::newRow("lower case") << type("ssh") << "PingOption"
                                << "N/A"
                                << "Ping";
    QTest::newRow("type key") << type("TermService") << "PingOption"
                              << "N/A"
                              << "Ping";
    QTest::newRow("HTTP") << type("HTTP") << "PingOption"
                          << "N/A"
                          << "Ping";
    QTest::newRow("MapDrive") << type("MapDrive") << "PingOption"
                              << "N/A"
                              << "Ping";
    QTest::newRow("empty value") << type("") << "PingOption"
                                 << "N/A"
                                 << "Ping";
}

void TestMainWindow::defaultType() {
    QFETCH(QString, ini);
    QFETCH(QString, option);
    QFETCH(QString, port);
    QFETCH(QString, tag);

    Harness h(ini.toStdString());
    h.Start();
    QCOMPARE(h.Checked(), QList<QRadioButton*>{h.Option(option)});
    QCOMPARE(h.window->PortText->text(), port);
    QCOMPARE(h.window->Tag, tag);
    for (QWidget* control : h.Panel()) QVERIFY(!control->isEnabled());
    QVERIFY(h.services.messages.empty());
}

void TestMainWindow::startUpState() {
    Harness h;
    h.Start();
    QStringList drives;
    for (int i = 0; i < h.window->DriveText->count(); ++i) {
        drives << h.window->DriveText->itemText(i);
    }
    QCOMPARE(drives,
             (QStringList{"Z:", "Y:", "X:", "W:", "V:", "U:", "T:", "S:", "R:", "Q:", "P:",
                          "O:", "N:", "M:", "L:", "K:", "J:", "I:", "H:", "G:", "F:", "E:"}));
    QCOMPARE(h.window->DriveText->currentText(), QStringLiteral("Z:"));
    QVERIFY(h.window->MapDriveFrame->isEnabled());
    QVERIFY(!h.window->Anonymous->isChecked());
    QCOMPARE(h.window->UserNameText->text(), QStringLiteral("varo"));
    QCOMPARE(h.window->ShareText->currentText(), QStringLiteral("\\\\"));
    QCOMPARE(h.window->SettingsPath, h.settingsPath);
}

void TestMainWindow::typeSelection_data() {
    QTest::addColumn<QString>("option");
    QTest::addColumn<QString>("port");
    QTest::addColumn<QString>("tag");

    QTest::newRow("HTTPS") << "HTTPSOption"
                           << "443"
                           << "HTTPS";
    QTest::newRow("FTP") << "FTP"
                         << "21"
                         << "FTP";
    QTest::newRow("HTTP") << "HTTPOption"
                          << "80"
                          << "HTTP";
    QTest::newRow("RDP Console") << "RDPConsoleOption"
                                 << "3389"
                                 << "RDPConsole";
    QTest::newRow("Ping") << "PingOption"
                          << "N/A"
                          << "Ping";
    QTest::newRow("SSH") << "SSHOption"
                         << "22"
                         << "SSH";
    QTest::newRow("Telnet") << "TelnetOption"
                            << "23"
                            << "Telnet";
    QTest::newRow("Remote Desktop") << "TermServiceOption"
                                    << "3389"
                                    << "TermService";
    QTest::newRow("VNC") << "VNCOption"
                         << "5900"
                         << "VNC";
}

void TestMainWindow::typeSelection() {
    QFETCH(QString, option);
    QFETCH(QString, port);
    QFETCH(QString, tag);

    Harness h;
    h.Start();
    // Fill the panel while "Map a Drive" is active.
    h.TypeHost(QStringLiteral("server1"));
    h.Click(h.window->MapDriveOption);
    QCOMPARE(h.window->Tag, QStringLiteral("MapDrive"));
    h.window->DriveText->setCurrentIndex(3);
    h.window->ShareText->setEditText(QStringLiteral("\\\\server1\\backup"));
    h.Click(h.window->Anonymous);
    h.window->UserNameText->setText(QStringLiteral("admin"));
    h.window->PasswordText->setText(QStringLiteral("secret"));
    h.window->PortText->setText(QStringLiteral("999"));

    h.Click(h.Option(option));
    QCOMPARE(h.Checked(), QList<QRadioButton*>{h.Option(option)});
    QCOMPARE(h.window->PortText->text(), port);
    QCOMPARE(h.window->Tag, tag);
    for (QWidget* control : h.Panel()) QVERIFY(!control->isEnabled());
    QVERIFY(h.window->MapDriveFrame->isEnabled());
    // Disabled, not cleared.
    QCOMPARE(h.window->DriveText->currentText(), QStringLiteral("W:"));
    QCOMPARE(h.window->ShareText->currentText(), QStringLiteral("\\\\server1\\backup"));
    QCOMPARE(h.window->ShareText->count(), 9);
    QVERIFY(h.window->Anonymous->isChecked());
    QCOMPARE(h.window->UserNameText->text(), QStringLiteral("admin"));
    QCOMPARE(h.window->PasswordText->text(), QStringLiteral("secret"));
    QCOMPARE(h.window->ConnectText->text(), QStringLiteral("server1"));

    // Back to "Map a Drive": the same values, the credentials still off by the tick,
    // and the share list filled anew.
    h.Click(h.window->MapDriveOption);
    QCOMPARE(h.window->DriveText->currentText(), QStringLiteral("W:"));
    QCOMPARE(h.window->ShareText->currentText(), QStringLiteral("\\\\server1\\C$"));
    QVERIFY(h.window->Anonymous->isChecked() && h.window->Anonymous->isEnabled());
    QVERIFY(!h.window->UserNameText->isEnabled() && !h.window->PasswordLabel->isEnabled());
    QCOMPARE(h.window->UserNameText->text(), QStringLiteral("admin"));
    QVERIFY(h.services.messages.empty());
}

void TestMainWindow::connectChecks_data() {
    QTest::addColumn<QString>("host");
    QTest::addColumn<QString>("port");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<QString>("focus");  // where the focus ends; empty: where it was

    const QString hostMessage = texts::kHostRequired, portMessage = texts::kBadPort;
    QTest::newRow("empty host") << ""
                                << "22" << QStringList{hostMessage} << "ConnectText";
    QTest::newRow("port 0") << "server1"
                            << "0" << QStringList{portMessage} << "PortText";
    QTest::newRow("port -1") << "server1"
                             << "-1" << QStringList{portMessage} << "PortText";
    QTest::newRow("port 65536") << "server1"
                                << "65536" << QStringList{portMessage} << "PortText";
    QTest::newRow("letters") << "server1"
                             << "abc" << QStringList{portMessage} << "PortText";
    QTest::newRow("empty port") << "server1"
                                << "" << QStringList{portMessage} << "PortText";
    QTest::newRow("n/a in lower case") << "server1"
                                       << "n/a" << QStringList{portMessage} << "PortText";
    QTest::newRow("both") << ""
                          << "0" << QStringList{hostMessage, portMessage} << "PortText";
    QTest::newRow("N/A") << "server1"
                         << "N/A" << QStringList{} << "";
    QTest::newRow("1") << "server1"
                       << "1" << QStringList{} << "";
    QTest::newRow("65535") << "server1"
                           << "65535" << QStringList{} << "";
    QTest::newRow("fraction") << "server1"
                              << "1.5" << QStringList{} << "";
    QTest::newRow("blanks in port") << "server1"
                                    << " 2 2 " << QStringList{} << "";
    QTest::newRow("digits then letters") << "server1"
                                         << "22ab" << QStringList{} << "";
    QTest::newRow("blank host") << "  "
                                << "22" << QStringList{} << "";
}

void TestMainWindow::connectChecks() {
    QFETCH(QString, host);
    QFETCH(QString, port);
    QFETCH(QStringList, messages);
    QFETCH(QString, focus);

    Harness h;
    h.Start();
    QVERIFY(QTest::qWaitForWindowActive(h.window.get()));
    h.Click(h.window->PingOption);
    h.window->ConnectText->setText(host);
    h.window->PortText->setText(port);
    h.window->Options->setFocus();
    QTest::mouseClick(h.window->ConnectButton, Qt::LeftButton);

    QStringList shown;
    for (const auto& message : h.services.messages) {
        QCOMPARE(message.title, std::string("Error"));
        QCOMPARE(message.style, 16);
        shown << QString::fromStdString(message.text);
    }
    QCOMPARE(shown, messages);
    if (messages.isEmpty()) {
        QCOMPARE(h.services.started, std::vector<std::string>{"ping -t " + host.toStdString()});
        QCOMPARE(QApplication::focusWidget(), h.window->ConnectButton);
    } else {
        QVERIFY(h.services.started.empty());
        QCOMPARE(QApplication::focusWidget()->objectName(), focus);
    }
    QVERIFY(h.window->isVisible());
    QCOMPARE(h.services.endCount, 0);
}

void TestMainWindow::launch_data() {
    QTest::addColumn<QString>("option");
    QTest::addColumn<bool>("anonymous");
    QTest::addColumn<std::vector<std::string>>("started");
    QTest::addColumn<bool>("ends");
    QTest::addColumn<QString>("programPath");
    QTest::addColumn<QString>("programOptions");

    using Lines = std::vector<std::string>;
    QTest::newRow("Remote Desktop")
        << "TermServiceOption" << false << Lines{"/opt/clients/rdp -v server1:3389"} << true
        << "/opt/clients/rdp"
        << "-v server1:3389";
    QTest::newRow("RDP Console") << "RDPConsoleOption" << false
                                 << Lines{"/opt/clients/rdp -v server1:3389 /admin"} << true
                                 << "/opt/clients/rdp"
                                 << "-v server1:3389 /admin";
    QTest::newRow("VNC") << "VNCOption" << false << Lines{"/opt/clients/vnc server1::5900"} << true
                         << "/opt/clients/vnc"
                         << "server1::5900";
    QTest::newRow("Telnet") << "TelnetOption" << false << Lines{"/opt/clients/telnet server1 23"}
                            << true << "/opt/clients/telnet"
                            << "server1 23";
    QTest::newRow("SSH") << "SSHOption" << false << Lines{"/opt/clients/ssh -p 22 server1"} << true
                         << "/opt/clients/ssh"
                         << "-p 22 server1";
    QTest::newRow("FTP") << "FTP" << false << Lines{"/opt/clients/ftp ftp://server1:21/"} << true
                         << "/opt/clients/ftp"
                         << "ftp://server1:21/";
    QTest::newRow("Ping") << "PingOption" << false << Lines{"ping -t server1"} << false << ""
                          << "";
    QTest::newRow("HTTP") << "HTTPOption" << false
                          << Lines{std::string(kBrowser) + " http://server1"} << true << ""
                          << "";
    QTest::newRow("HTTPS") << "HTTPSOption" << false
                           << Lines{std::string(kBrowser) + " https://server1"} << true << ""
                           << "";
    QTest::newRow("Map a Drive") << "MapDriveOption" << false
                                 << Lines{"net use Y: \\\\server1\\C$ secret /USER:varo",
                                          "explorer Y:"}
                                 << true << ""
                                 << "";
    QTest::newRow("Map a Drive, anonymous")
        << "MapDriveOption" << true << Lines{"net use Y: \\\\server1\\C$", "explorer Y:"} << true
        << ""
        << "";
}

void TestMainWindow::launch() {
    QFETCH(QString, option);
    QFETCH(bool, anonymous);
    QFETCH(std::vector<std::string>, started);
    QFETCH(bool, ends);
    QFETCH(QString, programPath);
    QFETCH(QString, programOptions);

    Harness h;
    h.Start();
    h.TypeHost(QStringLiteral("server1"));
    h.Click(h.Option(option));
    h.window->DriveText->setCurrentIndex(1);
    h.window->PasswordText->setText(QStringLiteral("secret"));
    if (anonymous) h.Click(h.window->Anonymous);
    h.Click(h.window->ConnectButton);

    QVERIFY(h.services.messages.empty());
    QCOMPARE(h.services.started, started);
    QCOMPARE(h.services.windowStyles, std::vector<int>(started.size(), 1));
    QCOMPARE(h.services.endCount, ends ? 1 : 0);
    QCOMPARE(h.window->isVisible(), !ends);
    QCOMPARE(QString::fromStdString(h.window->ProgramPath), programPath);
    QCOMPARE(QString::fromStdString(h.window->ProgramOptions), programOptions);
}

void TestMainWindow::launchThatShowsAMessage_data() {
    QTest::addColumn<QString>("ini");
    QTest::addColumn<QString>("tag");  // set directly when it is no type's key
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("title");

    const QString missing = texts::kMissingProgram;
    QTest::newRow("no section") << ""
                                << "SSH" << missing << "Error";
    QTest::newRow("missing file") << "[SSH]\nProgram=/opt/clients/none\n"
                                  << "SSH" << missing << "Error";
    QTest::newRow("NOTCONFIGURED") << "[SSH]\nProgram=NOTCONFIGURED\n"
                                   << "SSH" << missing << "Error";
    QTest::newRow("empty program") << "[SSH]\nProgram=\n"
                                   << "SSH" << missing << "Error";
    QTest::newRow("unknown key") << ""
                                 << "Bogus" << texts::kNotImplemented << "Fatal Error";
    QTest::newRow("empty key") << ""
                               << "" << texts::kNotImplemented << "Fatal Error";
}

void TestMainWindow::launchThatShowsAMessage() {
    QFETCH(QString, ini);
    QFETCH(QString, tag);
    QFETCH(QString, text);
    QFETCH(QString, title);

    Harness h(ini.toStdString());
    h.Start();
    h.TypeHost(QStringLiteral("server1"));
    h.window->Tag = tag;
    h.Click(h.window->ConnectButton);
    QCOMPARE(h.services.messages,
             (std::vector<ShownMessage>{{text.toStdString(), 16, title.toStdString()}}));
    QVERIFY(h.services.started.empty());
    QVERIFY(h.window->isVisible());
    QCOMPARE(h.services.endCount, 0);
    QCOMPARE(h.window->ConnectText->text(), QStringLiteral("server1"));
}

void TestMainWindow::failedStartKeepsTheWindow_data() {
    QTest::addColumn<QString>("option");
    QTest::addColumn<QString>("failing");  // the command line that cannot start
    QTest::addColumn<QString>("program");  // as the message names it
    QTest::addColumn<int>("starts");       // attempted, the failing one included

    QTest::newRow("configured") << "SSHOption"
                                << "/opt/clients/ssh -p 22 server1"
                                << "/opt/clients/ssh" << 1;
    QTest::newRow("browser") << "HTTPSOption" << QString::fromLatin1(kBrowser) + " https://server1"
                             << "C:\\Program Files\\Internet Explorer\\iexplore.exe" << 1;
    QTest::newRow("net use") << "MapDriveOption"
                             << "net use Z: \\\\server1\\C$ secret /USER:varo"
                             << "net" << 1;
    QTest::newRow("explorer") << "MapDriveOption"
                              << "explorer Z:"
                              << "explorer" << 2;
    QTest::newRow("ping") << "PingOption"
                          << "ping -t server1"
                          << "ping" << 1;
}

void TestMainWindow::failedStartKeepsTheWindow() {
    QFETCH(QString, option);
    QFETCH(QString, failing);
    QFETCH(QString, program);
    QFETCH(int, starts);

    Harness h;
    h.services.failingStarts.insert(failing.toStdString());
    h.Start();
    h.TypeHost(QStringLiteral("server1"));
    h.Click(h.Option(option));
    h.window->PasswordText->setText(QStringLiteral("secret"));
    const QString port = h.window->PortText->text();
    const QString tag = h.window->Tag;
    h.Click(h.window->ConnectButton);

    QCOMPARE(h.services.messages, (std::vector<ShownMessage>{Error(texts::StartFailed(
                                      program.toStdString(), "No such file or directory"))}));
    QCOMPARE(static_cast<int>(h.services.started.size()), starts);
    QCOMPARE(h.services.started.back(), failing.toStdString());
    QVERIFY(h.window->isVisible());
    QCOMPARE(h.services.endCount, 0);
    QCOMPARE(h.window->ConnectText->text(), QStringLiteral("server1"));
    QCOMPARE(h.window->PortText->text(), port);
    QCOMPARE(h.window->Tag, tag);
    QVERIFY(h.Option(option)->isChecked());
    QCOMPARE(h.window->PasswordText->text(), QStringLiteral("secret"));
}

void TestMainWindow::mapDriveWithoutHostFallsBack_data() {
    QTest::addColumn<QString>("ini");
    QTest::addColumn<QString>("savedLater");  // settings written after start-up
    QTest::addColumn<QString>("before");      // the type chosen before "Map a Drive"
    QTest::addColumn<QString>("option");
    QTest::addColumn<QString>("port");
    QTest::addColumn<QString>("tag");

    QTest::newRow("no default") << ""
                                << ""
                                << "HTTPSOption"
                                << "SSHOption"
                                << "22"
                                << "SSH";
    QTest::newRow("default VNC") << "[DefaultConnection]\nType=VNC\n"
                                 << ""
                                 << "FTP"
                                 << "VNCOption"
                                 << "5900"
                                 << "VNC";
    QTest::newRow("default saved meanwhile") << ""
                                             << "[DefaultConnection]\nType=Telnet\n"
                                             << "HTTPOption"
                                             << "TelnetOption"
                                             << "23"
                                             << "Telnet";
    QTest::newRow("default already selected") << ""
                                              << ""
                                              << "SSHOption"
                                              << "SSHOption"
                                              << "22"
                                              << "SSH";
}

void TestMainWindow::mapDriveWithoutHostFallsBack() {
    QFETCH(QString, ini);
    QFETCH(QString, savedLater);
    QFETCH(QString, before);
    QFETCH(QString, option);
    QFETCH(QString, port);
    QFETCH(QString, tag);

    Harness h(ini.toStdString());
    h.Start();
    QVERIFY(QTest::qWaitForWindowActive(h.window.get()));
    if (!savedLater.isEmpty()) lintara::test::WriteFile(h.settingsPath, savedLater.toStdString());
    h.Click(h.Option(before));
    h.window->PortText->setText(QStringLiteral("1234"));
    QStringList tags;  // the tag while the message is up, and after
    h.services.onMessage = [&] { tags << h.window->Tag; };
    h.Click(h.window->MapDriveOption);
    tags << h.window->Tag;

    QCOMPARE(h.services.messages, (std::vector<ShownMessage>{Error(texts::kHostRequiredForDrive)}));
    QCOMPARE(QApplication::focusWidget(), h.window->ConnectText);
    QCOMPARE(h.Checked(), QList<QRadioButton*>{h.Option(option)});
    QCOMPARE(h.window->PortText->text(), port);
    QVERIFY(!tags.contains(QStringLiteral("MapDrive")));
    QCOMPARE(tags.last(), tag);
    for (QWidget* control : h.Panel()) QVERIFY(!control->isEnabled());
    QCOMPARE(h.window->ShareText->count(), 0);
}

void TestMainWindow::shareList() {
    for (const QString& host : {QStringLiteral("server1"), QStringLiteral("  ")}) {
        Harness h;
        h.Start();
        h.TypeHost(host);
        h.Click(h.window->MapDriveOption);
        QCOMPARE(h.Shares(), ShareList(host));
        QCOMPARE(h.window->ShareText->currentIndex(), 0);
        QCOMPARE(h.window->ShareText->currentText(), ShareList(host).front());
        QCOMPARE(h.window->PortText->text(), QStringLiteral("N/A"));
        QCOMPARE(h.window->Tag, QStringLiteral("MapDrive"));
        for (QWidget* control : h.Panel()) QVERIFY(control->isEnabled());
        QVERIFY(h.services.messages.empty());
    }
}

void TestMainWindow::shareListFollowsTheHost() {
    Harness h;
    h.Start();
    h.TypeHost(QStringLiteral("server"));
    h.Click(h.window->MapDriveOption);
    h.window->ShareText->setCurrentIndex(4);
    QTest::keyClicks(h.window->ConnectText, "2");
    QCOMPARE(h.Shares(), ShareList(QStringLiteral("server2")));
    QCOMPARE(h.window->ShareText->currentText(), QStringLiteral("\\\\server2\\C$"));

    // Emptied: no message here; the entries lose the host.
    h.window->ConnectText->clear();
    QCOMPARE(h.Shares(), ShareList(QString()));
    QCOMPARE(h.window->ShareText->currentText(), QStringLiteral("\\\\\\C$"));
    QVERIFY(h.services.messages.empty());
    h.Click(h.window->ConnectButton);
    QCOMPARE(h.services.messages, (std::vector<ShownMessage>{Error(texts::kHostRequired)}));

    // Another type selected: the host no longer reaches the list.
    h.Click(h.window->SSHOption);
    h.TypeHost(QStringLiteral("other"));
    QCOMPARE(h.Shares(), ShareList(QString()));
}

void TestMainWindow::anonymousRule() {
    Harness h;
    h.Start();
    h.TypeHost(QStringLiteral("server1"));
    h.Click(h.window->MapDriveOption);
    h.window->PasswordText->setText(QStringLiteral("secret"));
    const std::vector<QWidget*> credentials = {h.window->UserNameLabel, h.window->UserNameText,
                                               h.window->PasswordLabel, h.window->PasswordText};
    for (bool ticked : {true, false, true}) {
        h.Click(h.window->Anonymous);
        QCOMPARE(h.window->Anonymous->isChecked(), ticked);
        for (QWidget* control : credentials) QCOMPARE(control->isEnabled(), !ticked);
        for (QWidget* control : {static_cast<QWidget*>(h.window->DriveText),
                                 static_cast<QWidget*>(h.window->ShareText),
                                 static_cast<QWidget*>(h.window->Anonymous)}) {
            QVERIFY(control->isEnabled());
        }
        QCOMPARE(h.window->UserNameText->text(), QStringLiteral("varo"));
        QCOMPARE(h.window->PasswordText->text(), QStringLiteral("secret"));
    }
}

void TestMainWindow::optionsButtonSwapsWindows() {
    Harness h;
    h.Start();
    h.TypeHost(QStringLiteral("server1"));
    h.Click(h.window->TelnetOption);
    QTest::mouseClick(h.window->Options, Qt::LeftButton);
    QVERIFY(!h.window->isVisible());
    QList<LintaraOptions*> open;
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (auto* options = qobject_cast<LintaraOptions*>(top); options && options->isVisible()) {
            open << options;
        }
    }
    QCOMPARE(open.size(), 1);
    QVERIFY(open.front()->testAttribute(Qt::WA_DeleteOnClose));
    open.front()->close();
    // Back as it was left.
    QVERIFY(h.window->isVisible());
    QCOMPARE(h.window->ConnectText->text(), QStringLiteral("server1"));
    QCOMPARE(h.window->Tag, QStringLiteral("Telnet"));
    QCOMPARE(h.window->PortText->text(), QStringLiteral("23"));
}

QTEST_MAIN(TestMainWindow)
#include "TestMainWindow.moc"
