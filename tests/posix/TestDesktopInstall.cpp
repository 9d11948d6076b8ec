// A per-user install into a temporary prefix: what it puts where, the desktop entry's
// Exec line carrying a lintara:// link into the main window, reinstalling over edited
// settings, and the uninstaller.
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "core/texts.h"
#include "gui/qt/QtForm.h"
#include "main_window/Lintara.h"
#include "platform/posix/posix_services.h"

namespace {

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The value of key in a desktop entry's text, or empty.
QString EntryValue(const QByteArray& entry, const QByteArray& key) {
    for (const QByteArray& line : entry.split('\n')) {
        if (line.startsWith(key + '=')) return QString::fromUtf8(line.mid(key.size() + 1));
    }
    return {};
}

// Splits an Exec value as the desktop entry rules do: string escapes first, then
// arguments separated by blanks, "..." grouping with \" \` \$ \\ inside.
std::vector<std::string> SplitExec(const QString& value) {
    std::string text;
    const std::string raw = value.toStdString();
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] == '\\' && i + 1 < raw.size()) {
            const char next = raw[++i];
            text += next == 's' ? ' ' : next == 't' ? '\t' : next == 'n' ? '\n' : next;
        } else {
            text += raw[i];
        }
    }
    std::vector<std::string> words;
    std::string word;
    bool inWord = false, quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c == '"') {
                quoted = false;
            } else if (c == '\\' && i + 1 < text.size()) {
                word += text[++i];
            } else {
                word += c;
            }
        } else if (c == ' ') {
            if (inWord) words.push_back(word);
            word.clear();
            inWord = false;
        } else {
            inWord = true;
            if (c == '"') {
                quoted = true;
            } else {
                word += c;
            }
        }
    }
    if (inWord) words.push_back(word);
    return words;
}

// The POSIX services as the installed program has them, except that the program's
// folder is the installed one and messages are recorded instead of printed.
class InstalledServices : public lintara::PosixServices {
  public:
    InstalledServices(int argc, char** argv, std::string folder)
        : PosixServices(argc, argv), m_folder(std::move(folder)) {}
    std::string ApplicationFolder() override { return m_folder; }
    int ShowMessage(const std::string& text, int, const std::string& title) override {
        messages.push_back(title + ": " + text);
        return 1;
    }
    void EndProgram() override { ++ends; }

    std::vector<std::string> messages;
    int ends = 0;

  private:
    std::string m_folder;
};

}  // namespace

class TestDesktopInstall : public QObject {
    Q_OBJECT

  private:
    QTemporaryDir m_root;
    // A prefix with a blank and a '$' checks the Exec line's quoting on the way.
    QString m_prefix, m_data, m_config, m_home;

    QProcessEnvironment Environment() const {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("HOME", m_home);
        environment.insert("XDG_DATA_HOME", m_data);
        environment.insert("XDG_CONFIG_HOME", m_config);
        environment.remove("DESTDIR");
        return environment;
    }
    // Runs program with arguments (no shell) and returns its exit code.
    int Run(const QString& program, const QStringList& arguments, QString* output = nullptr,
            const QProcessEnvironment* environment = nullptr) {
        QProcess process;
        process.setProcessEnvironment(environment ? *environment : Environment());
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(program, arguments);
        if (!process.waitForFinished(120000)) return -1;
        const QString text = QString::fromLocal8Bit(process.readAll());
        if (output) *output = text;
        if (process.exitStatus() != QProcess::NormalExit) return -1;
        return process.exitCode();
    }
    int Install() {
        QString output;
        const int code =
            Run(LINTARA_CMAKE, {"--install", LINTARA_BUILD_DIR, "--prefix", m_prefix}, &output);
        if (code != 0) qWarning().noquote() << output;
        return code;
    }
    QString Bin(const QString& name) const { return m_prefix + "/bin/" + name; }

  private slots:
    void initTestCase() {
        QVERIFY(m_root.isValid());
        m_prefix = m_root.filePath("opt/lin tara$1");
        m_data = m_root.filePath("home/.local/share");
        m_config = m_root.filePath("home/.config");
        m_home = m_root.filePath("home");
        QCOMPARE(Install(), 0);
    }

    void installsProgramSettingsAndRegistration() {
        const QStringList files = {
            Bin("Lintara"),
            Bin("lintara-uninstall"),
            m_prefix + "/share/applications/lintara.desktop",
            m_prefix + "/share/icons/hicolor/32x32/apps/lintara.png",
            m_prefix + "/share/icons/hicolor/48x48/apps/lintara.png",
            m_prefix + "/share/icons/hicolor/scalable/apps/lintara.svg",
            m_prefix + "/share/metainfo/org.lintara.lintara.metainfo.xml",
            m_data + "/applications/lintara.desktop",
            m_data + "/icons/hicolor/32x32/apps/lintara.png",
            m_data + "/icons/hicolor/48x48/apps/lintara.png",
            m_data + "/icons/hicolor/scalable/apps/lintara.svg",
        };
        for (const QString& file : files) QVERIFY2(QFileInfo(file).isFile(), qPrintable(file));
        QVERIFY(QFileInfo(Bin("Lintara")).isExecutable());
        QVERIFY(QFileInfo(Bin("lintara-uninstall")).isExecutable());
        QCOMPARE(ReadAll(Bin("Lintara.ini")), ReadAll(LINTARA_RESOURCES "/Lintara.ini"));
        QCOMPARE(ReadAll(m_data + "/icons/hicolor/48x48/apps/lintara.png"),
                 ReadAll(LINTARA_RESOURCES "/lintara-48.png"));
        if (!QStandardPaths::findExecutable("xdg-mime").isEmpty()) {
            QVERIFY(ReadAll(m_config + "/mimeapps.list")
                        .contains("x-scheme-handler/lintara=lintara.desktop"));
        }
    }

    void desktopEntryStartsTheInstalledProgramWithTheLink() {
        const QByteArray entry = ReadAll(m_data + "/applications/lintara.desktop");
        QCOMPARE(EntryValue(entry, "MimeType"), QString("x-scheme-handler/lintara;"));
        QCOMPARE(EntryValue(entry, "Icon"), QString("lintara"));
        const auto exec = SplitExec(EntryValue(entry, "Exec"));
        QCOMPARE(exec, (std::vector<std::string>{Bin("Lintara").toStdString(), "%u"}));

        const QString validate = QStandardPaths::findExecutable("desktop-file-validate");
        if (validate.isEmpty()) {
            qInfo("desktop-file-validate not found (package desktop-file-utils): not validated");
        } else {
            QString output;
            QCOMPARE(Run(validate, {m_data + "/applications/lintara.desktop"}, &output), 0);
            QVERIFY2(output.trimmed().isEmpty(), qPrintable(output));
        }
    }

    void linkReachesTheHostBox() {
        // What the desktop starts for lintara://myhost/: the Exec line, %u replaced.
        auto exec =
            SplitExec(EntryValue(ReadAll(m_data + "/applications/lintara.desktop"), "Exec"));
        QCOMPARE(exec.size(), std::size_t(2));
        exec[1] = "lintara://myhost/";
        std::vector<char*> argv = {exec[0].data(), exec[1].data(), nullptr};
        const std::string folder = QFileInfo(QString::fromStdString(exec[0])).path().toStdString();
        InstalledServices services(2, argv.data(), folder);

        lintara::QtFormFactory forms;
        Lintara window(services, forms, [] { return std::string(); });
        window.Form_Load();
        window.Show();
        auto& form = static_cast<lintara::QtForm&>(window.form());
        QVERIFY(QTest::qWaitForWindowExposed(form.window()));
        QCOMPARE(form.control<QLineEdit>(Lintara::ConnectText)->text(), QString("myhost"));
        // The installed sample settings were found and their default type selected.
        QCOMPARE(services.messages, std::vector<std::string>{});
        QCOMPARE(services.ends, 0);
        QVERIFY(form.Checked(Lintara::SSHOption));
        QCOMPARE(form.Text(Lintara::PortText), std::string("22"));
    }

    void pingWithoutPingKeepsTheWindowOpen() {
        QTemporaryDir emptyPath;
        const QByteArray oldPath = qgetenv("PATH");
        qputenv("PATH", emptyPath.path().toLocal8Bit());
        std::string exe = Bin("Lintara").toStdString();
        std::vector<char*> argv = {exe.data(), nullptr};
        InstalledServices services(1, argv.data(), (m_prefix + "/bin").toStdString());
        lintara::QtFormFactory forms;
        Lintara window(services, forms, [] { return std::string(); });
        window.Form_Load();
        window.Show();
        auto& form = static_cast<lintara::QtForm&>(window.form());
        QVERIFY(QTest::qWaitForWindowExposed(form.window()));
        QTest::keyClicks(form.control(Lintara::ConnectText), "myhost");
        form.control<QRadioButton>(Lintara::PingOption)->click();
        QTest::mouseClick(form.control(Lintara::ConnectButton), Qt::LeftButton);
        qputenv("PATH", oldPath);

        QCOMPARE(services.messages.size(), std::size_t(1));
        QVERIFY2(
            services.messages[0].find(
                "Could not start ping: ping was not found on PATH (Debian package iputils-ping)") !=
                std::string::npos,
            services.messages[0].c_str());
        QCOMPARE(services.ends, 0);
        QVERIFY(form.Visible());
        QCOMPARE(form.Text(Lintara::ConnectText), std::string("myhost"));
    }

    void installedProgramRuns() {
        // Without any display the program says so and ends: it loaded its libraries and
        // reached its own code.
        QProcessEnvironment environment = Environment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
            environment.remove(name);
        }
        QString output;
        QCOMPARE(Run(Bin("Lintara"), {"lintara://myhost/"}, &output, &environment), 1);
        QVERIFY2(output.contains("there is no display"), qPrintable(output));
    }

    void reinstallKeepsEditedSettings() {
        const QByteArray edited = ReadAll(Bin("Lintara.ini"))
                                      .replace("Type=SSH", "Type=VNC")
                                      .append("[Mine]\r\nKey=kept\r\n");
        {
            QFile file(Bin("Lintara.ini"));
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write(edited);
        }
        QCOMPARE(Install(), 0);
        QCOMPARE(ReadAll(Bin("Lintara.ini")), edited);
        QVERIFY(QFileInfo(Bin("Lintara")).isExecutable());
    }

    void uninstallRemovesAllButTheSettings() {
        QString output;
        QCOMPARE(Run(Bin("lintara-uninstall"), {}, &output), 0);
        QVERIFY2(output.contains("Kept your settings"), qPrintable(output));
        for (const QString& gone : {Bin("Lintara"), Bin("lintara-uninstall"), m_prefix + "/share",
                                    m_data + "/applications/lintara.desktop",
                                    m_data + "/icons/hicolor/32x32/apps/lintara.png",
                                    m_data + "/icons/hicolor/48x48/apps/lintara.png",
                                    m_data + "/icons/hicolor/scalable/apps/lintara.svg",
                                    m_data + "/metainfo/org.lintara.lintara.metainfo.xml"}) {
            QVERIFY2(!QFileInfo::exists(gone), qPrintable(gone));
        }
        QVERIFY(ReadAll(Bin("Lintara.ini")).contains("Key=kept"));
        // Installing created these: they go again once empty, the settings' folder stays.
        for (const QString& gone : {m_data + "/applications", m_data + "/icons",
                                    m_data + "/metainfo", m_data, m_config + "/mimeapps.list"}) {
            QVERIFY2(!QFileInfo::exists(gone), qPrintable(gone));
        }
        QVERIFY(QFileInfo(m_root.filePath("home")).isDir());
    }

    // What was there before the install is left as it was: folders, other entries, the
    // user's own mimeapps.list sections.
    void uninstallKeepsWhatWasThere() {
        const QByteArray mimeapps = "[Added Associations]\ntext/plain=editor.desktop;\n";
        QVERIFY(QDir().mkpath(m_data + "/applications") && QDir().mkpath(m_config));
        for (const auto& [path, text] :
             {std::pair{m_data + "/applications/editor.desktop", QByteArray("[Desktop Entry]\n")},
              std::pair{m_config + "/mimeapps.list", mimeapps}}) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(text);
        }
        QCOMPARE(Install(), 0);
        if (!QStandardPaths::findExecutable("xdg-mime").isEmpty()) {
            QVERIFY(ReadAll(m_config + "/mimeapps.list").contains("[Default Applications]"));
        }
        QString output;
        QCOMPARE(Run(Bin("lintara-uninstall"), {}, &output), 0);
        QVERIFY2(QFileInfo(m_data + "/applications/editor.desktop").isFile(), qPrintable(output));
        QVERIFY(!QFileInfo::exists(m_data + "/icons"));
        QCOMPARE(ReadAll(m_config + "/mimeapps.list"), mimeapps);
    }
};

QTEST_MAIN(TestDesktopInstall)
#include "TestDesktopInstall.moc"
