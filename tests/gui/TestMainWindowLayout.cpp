// The main window as it stands before its load handler: every control and the window.
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "main_window/Appearance.h"
#include "main_window/Lintara.h"
#include "tests/mock/FakeServices.h"

class TestMainWindowLayout : public QObject {
    Q_OBJECT
  private slots:
    void controls_data();
    void controls();
    void window();
    void controlsOverTheFrameAreDrawnAboveIt();
    void focusFollowsTabOrder();
    void inputLimits();
    void optionsButtonShowsOnlyTheIcon();
    void optionButtonsFormOneGroup();
    void render();

  private:
    lintara::test::FakeServices m_services;
};

namespace {

QString Caption(QWidget* control) {
    if (auto* w = qobject_cast<QAbstractButton*>(control)) return w->text();
    if (auto* w = qobject_cast<QLineEdit*>(control)) return w->text();
    if (auto* w = qobject_cast<QLabel*>(control)) return w->text();
    if (auto* w = qobject_cast<QGroupBox*>(control)) return w->title();
    if (auto* w = qobject_cast<QComboBox*>(control)) return w->currentText();
    return QStringLiteral("?");
}

}  // namespace

void TestMainWindowLayout::controls_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("container");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QRect>("geometry");  // pixels, in the container
    QTest::addColumn<int>("tab");
    QTest::addColumn<QString>("toolTip");

    const QString window = "Lintara", connectTo = "ConnectToFrame", mapDrive = "MapDriveFrame";
    const QString button = "QPushButton", edit = "QLineEdit", frame = "QGroupBox", label = "QLabel",
                  option = "QRadioButton", combo = "QComboBox", check = "QCheckBox";
    auto row = [](const char* name, QString kind, QString container, QString caption, QRect rect,
                  int tab, QString tip = {}) {
        QTest::newRow(name) << kind << container << caption << rect << tab << tip;
    };
    row("ConnectButton", button, window, "Connect", {312, 21, 73, 25}, 0);
    row("ConnectText", edit, window, "", {104, 24, 129, 19}, 1);
    row("PortText", edit, window, "22", {264, 24, 41, 21}, 2);
    row("MapDriveFrame", frame, window, "Map Network Drive Settings", {8, 136, 433, 101}, 3);
    row("ConnectToFrame", frame, window, "Connect To", {8, 1, 433, 129}, 9);
    row("Label1", label, connectTo, "IP or Hostname:", {16, 27, 81, 17}, 10);
    row("PortLabel", label, connectTo, "Port:", {232, 27, 25, 17}, 11);
    row("TermServiceOption", option, connectTo, "Remote Desktop", {96, 56, 65, 25}, 16);
    row("RDPConsoleOption", option, connectTo, "RDP Console", {168, 56, 73, 25}, 17,
        "Win2003 Console Only!");
    row("VNCOption", option, connectTo, "VNC", {232, 56, 49, 25}, 18);
    row("TelnetOption", option, connectTo, "Telnet", {304, 56, 57, 25}, 19);
    row("SSHOption", option, connectTo, "SSH", {368, 56, 49, 25}, 20);
    row("PingOption", option, connectTo, "Ping", {368, 96, 41, 17}, 21);
    row("MapDriveOption", option, connectTo, "Map a Drive", {72, 96, 81, 17}, 22);
    row("FTP", option, connectTo, "FTP", {304, 96, 41, 17}, 23);
    row("HTTPOption", option, connectTo, "HTTP", {168, 96, 57, 17}, 24);
    row("HTTPSOption", option, connectTo, "HTTPS", {232, 96, 57, 17}, 25);
    row("Options", button, connectTo, "", {16, 48, 65, 41}, 26);
    row("Anonymous", check, mapDrive, "Anonymous Access", {344, 61, 81, 25}, 4);
    row("UserNameText", edit, mapDrive, "varo", {64, 64, 89, 19}, 5);
    row("PasswordText", edit, mapDrive, "", {256, 64, 73, 19}, 6);
    row("UserNameLabel", label, mapDrive, "Username:", {8, 67, 57, 17}, 7);
    row("PasswordLabel", label, mapDrive, "Password:", {200, 67, 49, 17}, 8);
    row("ShareText", combo, mapDrive, "\\\\", {264, 24, 161, 21}, 12);
    row("DriveText", combo, mapDrive, "", {80, 24, 73, 21}, 13);
    row("DriveLabel", label, mapDrive, "Drive Letter:", {16, 27, 65, 17}, 14);
    row("ShareLabel", label, mapDrive, "Share Name:", {192, 27, 65, 17}, 15);
}

void TestMainWindowLayout::controls() {
    QFETCH(QString, kind);
    QFETCH(QString, container);
    QFETCH(QString, caption);
    QFETCH(QRect, geometry);
    QFETCH(int, tab);
    QFETCH(QString, toolTip);

    Lintara window(m_services, {});
    const QString name = QString::fromLatin1(QTest::currentDataTag());
    auto* control = window.findChild<QWidget*>(name);
    QVERIFY2(control, qPrintable(name));
    QVERIFY(control->inherits(kind.toLatin1()));
    QCOMPARE(control->parentWidget()->objectName(), container);
    QCOMPARE(Caption(control), caption);
    QCOMPARE(control->geometry(), geometry);
    QCOMPARE(window.TabIndex(control), tab);
    QCOMPARE(control->toolTip(), toolTip);
    QVERIFY(control->isEnabled());
    QVERIFY(!control->isHidden());
    if (auto* option = qobject_cast<QRadioButton*>(control)) QVERIFY(!option->isChecked());
    if (auto* list = qobject_cast<QComboBox*>(control)) QCOMPARE(list->count(), 0);
}

void TestMainWindowLayout::window() {
    Lintara window(m_services, {});
    QCOMPARE(window.objectName(), QStringLiteral("Lintara"));
    QCOMPARE(window.windowTitle(), QStringLiteral(" Lintara v. 1.2"));
    QCOMPARE(window.Tag, QStringLiteral("SSH"));
    QCOMPARE(window.size(), QSize(453, 245));
    QCOMPARE(window.minimumSize(), QSize(453, 245));
    QCOMPARE(window.maximumSize(), QSize(453, 245));
    const Qt::WindowFlags flags = window.windowFlags();
    QVERIFY(flags & Qt::WindowMinimizeButtonHint);
    QVERIFY(flags & Qt::WindowCloseButtonHint);
    QVERIFY(flags & Qt::WindowSystemMenuHint);
    QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
    QVERIFY(!window.windowIcon().isNull());
    QCOMPARE(window.windowIcon().availableSizes(), (QList<QSize>{{32, 32}, {48, 48}}));
    QCOMPARE(window.findChildren<QWidget*>(Qt::FindDirectChildrenOnly).size(), 5);
    int controls = 0;
    for (QWidget* child : window.findChildren<QWidget*>()) {
        if (window.TabIndex(child) >= 0) ++controls;
    }
    QCOMPARE(controls, 27);
}

void TestMainWindowLayout::controlsOverTheFrameAreDrawnAboveIt() {
    Lintara window(m_services, {});
    for (QWidget* over :
         {static_cast<QWidget*>(window.ConnectText), static_cast<QWidget*>(window.PortText),
          static_cast<QWidget*>(window.ConnectButton)}) {
        QCOMPARE(over->parentWidget(), &window);
        QCOMPARE(window.childAt(over->geometry().center()), over);
        QVERIFY(window.ConnectToFrame->geometry().contains(over->geometry()));
    }
}

void TestMainWindowLayout::focusFollowsTabOrder() {
    Lintara window(m_services, {});
    // "Map a Drive" keeps the panel enabled; Tab stops at the selected button of a group.
    window.ConnectText->setText(QStringLiteral("server1"));
    window.MapDriveOption->setChecked(true);
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QCOMPARE(QApplication::focusWidget(), window.ConnectButton);

    // Every control that takes the focus, by tab index. Within the option group the
    // toolkit decides where Tab stops, so the visits there may skip buttons.
    const QList<QWidget*> order = {window.ConnectButton,
                                   window.ConnectText,
                                   window.PortText,
                                   window.Anonymous,
                                   window.UserNameText,
                                   window.PasswordText,
                                   window.ShareText,
                                   window.DriveText,
                                   window.TermServiceOption,
                                   window.RDPConsoleOption,
                                   window.VNCOption,
                                   window.TelnetOption,
                                   window.SSHOption,
                                   window.PingOption,
                                   window.MapDriveOption,
                                   window.FTP,
                                   window.HTTPOption,
                                   window.HTTPSOption,
                                   window.Options};
    qsizetype at = 0;
    QList<QWidget*> visited;
    do {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QWidget* focus = QApplication::focusWidget();
        if (focus && focus->parentWidget() == window.ShareText) focus = window.ShareText;
        const qsizetype found = order.indexOf(focus);
        QVERIFY2(found >= 0, qPrintable(focus ? focus->objectName() : QStringLiteral("none")));
        QVERIFY2(found > at || found == 0, qPrintable(focus->objectName()));
        at = found;
        visited << focus;
    } while (at != 0 && visited.size() < 40);
    QCOMPARE(visited.last(), window.ConnectButton);
    for (QWidget* control : order) {
        if (!control->inherits("QRadioButton")) QVERIFY(visited.contains(control));
    }
    QVERIFY(std::any_of(visited.begin(), visited.end(),
                        [](QWidget* w) { return w->inherits("QRadioButton"); }));
}

void TestMainWindowLayout::inputLimits() {
    Lintara window(m_services, {});
    window.PortText->clear();
    QTest::keyClicks(window.PortText, "1234567");
    QCOMPARE(window.PortText->text(), QStringLiteral("12345"));
    QCOMPARE(window.PasswordText->echoMode(), QLineEdit::Normal);
    QVERIFY(!window.DriveText->isEditable());
    QVERIFY(window.ShareText->isEditable());
    // Typed text stays as typed: nothing is completed and nothing added to the list.
    window.ShareText->addItem(QStringLiteral("\\\\alpha\\C$"));
    window.ShareText->setEditText(QString());
    QTest::keyClicks(window.ShareText->lineEdit(), "\\\\al");
    QTest::keyClick(window.ShareText->lineEdit(), Qt::Key_Return);
    QCOMPARE(window.ShareText->currentText(), QStringLiteral("\\\\al"));
    QCOMPARE(window.ShareText->count(), 1);
}

void TestMainWindowLayout::optionsButtonShowsOnlyTheIcon() {
    Lintara window(m_services, {});
    QVERIFY(window.Options->text().isEmpty());
    QVERIFY(window.Options->toolTip().isEmpty());
    QVERIFY(!window.Options->icon().isNull());
    QCOMPARE(window.Options->iconSize(), QSize(32, 32));
}

void TestMainWindowLayout::optionButtonsFormOneGroup() {
    Lintara window(m_services, {});
    window.ConnectText->setText(QStringLiteral("server1"));  // "Map a Drive" needs a host
    const auto options = window.ConnectToFrame->findChildren<QRadioButton*>();
    QCOMPARE(options.size(), 10);
    for (QRadioButton* chosen : options) {
        QTest::mouseClick(chosen, Qt::LeftButton, {}, QPoint(6, chosen->height() / 2));
        for (QRadioButton* other : options) QCOMPARE(other->isChecked(), other == chosen);
    }
}

void TestMainWindowLayout::render() {
    QApplication::setFont(lintara::LayoutFont());  // as the program does
    Lintara window(m_services, {});
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const QString path = QStringLiteral(LINTARA_RENDER_DIR "/main_window.png");
    QVERIFY(window.grab().save(path));
}

QTEST_MAIN(TestMainWindowLayout)
#include "TestMainWindowLayout.moc"
