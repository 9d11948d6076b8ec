// The built program in a folder of its own: started with a host on its command line,
// Connect pressed through a VNC connection to its screen, the client's argv checked.
#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QtEndian>

#include "tests/support/Record.h"
#include "tests/support/TempFolder.h"

using lintara::test::TempFolder;

namespace {

constexpr int kScreenWidth = 800;
constexpr int kScreenHeight = 600;

// Where the window puts the Connect button: the window is centred on the screen, the
// button stands at 312, 21 in it and is 73 x 25 pixels.
QPoint ConnectButtonCentre() {
    const QPoint window =
        QRect(0, 0, kScreenWidth, kScreenHeight).center() - QRect(0, 0, 453, 245).center();
    return window + QPoint(312 + 36, 21 + 12);
}

int FreePort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

// Blocking reads and writes on the remote-framebuffer connection.
class Rfb {
  public:
    bool Connect(int port, QProcess& program, QDeadlineTimer deadline) {
        while (!deadline.hasExpired() && program.state() != QProcess::NotRunning) {
            m_socket.connectToHost(QHostAddress::LocalHost, static_cast<quint16>(port));
            if (m_socket.waitForConnected(500)) return Handshake();
            m_socket.abort();
            program.waitForFinished(100);
        }
        return false;
    }

    // Moves the pointer to at and clicks the left button there.
    bool Click(QPoint at) {
        return Pointer(at, 0) && Pointer(at, 1) && Pointer(at, 0) && m_socket.waitForBytesWritten();
    }

  private:
    bool Handshake() {
        const QByteArray version = Read(12);
        if (!version.startsWith("RFB 003.")) return false;
        const bool legacy = version == "RFB 003.003\n";
        Write(legacy ? "RFB 003.003\n" : "RFB 003.008\n");
        if (legacy) {
            if (qFromBigEndian<quint32>(Read(4).constData()) != 1) return false;  // no auth
        } else {
            const QByteArray count = Read(1);
            if (count.size() != 1 || !Read(static_cast<quint8>(count[0])).contains('\x01')) {
                return false;
            }
            Write(QByteArray(1, '\x01'));
            if (qFromBigEndian<quint32>(Read(4).constData()) != 0) return false;
        }
        Write(QByteArray(1, '\x01'));  // shared
        const QByteArray init = Read(24);
        if (init.size() != 24) return false;
        Read(qFromBigEndian<quint32>(init.constData() + 20));  // the desktop's name
        return true;
    }
    bool Pointer(QPoint at, quint8 buttons) {
        char event[6] = {5, static_cast<char>(buttons)};
        qToBigEndian<quint16>(static_cast<quint16>(at.x()), event + 2);
        qToBigEndian<quint16>(static_cast<quint16>(at.y()), event + 4);
        return Write(QByteArray(event, sizeof event));
    }
    QByteArray Read(qint64 size) {
        QByteArray bytes;
        while (bytes.size() < size) {
            if (m_socket.bytesAvailable() == 0 && !m_socket.waitForReadyRead(5000)) break;
            bytes += m_socket.read(size - bytes.size());
        }
        return bytes;
    }
    bool Write(const QByteArray& bytes) {
        return m_socket.write(bytes) == bytes.size() && m_socket.flush();
    }

    QTcpSocket m_socket;
};

}  // namespace

class TestEndToEnd : public QObject {
    Q_OBJECT
  private slots:
    void connectStartsTheConfiguredClient();
    void noDisplayIsSaidInOneLine();
};

void TestEndToEnd::connectStartsTheConfiguredClient() {
    TempFolder folder;
    const QString program = QString::fromStdString(folder.file("Lintara"));
    QVERIFY(QFile::copy(QStringLiteral(LINTARA_PROGRAM), program));
    lintara::test::WriteFile(folder.file("Lintara.ini"),
                             "[SSH]\nProgram=" LINTARA_RECORDER "\nOptions=-p PORT HOST\n");
    const std::string record = folder.file("ssh.record");

    const int port = FreePort();
    QProcess lintara;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(
        QStringLiteral("QT_QPA_PLATFORM"),
        QStringLiteral("vnc:size=%1x%2:port=%3").arg(kScreenWidth).arg(kScreenHeight).arg(port));
    environment.insert(QStringLiteral("LINTARA_RECORD"), QString::fromStdString(record));
    lintara.setProcessEnvironment(environment);
    lintara.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    lintara.start(program, {QStringLiteral("lintara://server1/")});
    QVERIFY(lintara.waitForStarted());

    const QDeadlineTimer deadline(30000);
    Rfb screen;
    QVERIFY2(screen.Connect(port, lintara, deadline), "no VNC connection to the program");
    // Clicks that arrive before the window is shown hit nothing; the first one that
    // reaches Connect starts the client and ends the program.
    while (lintara.state() != QProcess::NotRunning && !deadline.hasExpired()) {
        screen.Click(ConnectButtonCentre());
        lintara.waitForFinished(250);
    }
    QCOMPARE(lintara.state(), QProcess::NotRunning);
    QCOMPARE(lintara.exitStatus(), QProcess::NormalExit);
    QCOMPARE(lintara.exitCode(), 0);

    const auto recorded = lintara::test::ReadRecord(record);
    QVERIFY2(recorded, "the client was not started");
    QCOMPARE(recorded->argv, (std::vector<std::string>{LINTARA_RECORDER, "-p", "22", "server1"}));
}

void TestEndToEnd::noDisplayIsSaidInOneLine() {
    QProcess lintara;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        environment.remove(QString::fromLatin1(name));
    }
    lintara.setProcessEnvironment(environment);
    lintara.start(QStringLiteral(LINTARA_PROGRAM), {});
    QVERIFY(lintara.waitForFinished(30000));
    QCOMPARE(lintara.exitCode(), 1);
    const QByteArray said = lintara.readAllStandardError();
    QCOMPARE(said.count('\n'), 1);
    QVERIFY2(said.contains("no display"), said.constData());
    QVERIFY(lintara.readAllStandardOutput().isEmpty());
}

QTEST_GUILESS_MAIN(TestEndToEnd)
#include "TestEndToEnd.moc"
