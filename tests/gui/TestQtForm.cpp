// The Qt front end: both windows' tables rendered as widgets (kind, container, caption,
// place, tab order, tooltip, per-kind settings), the window flags, the keyboard, and only
// the user's actions reported as events.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <climits>
#include <functional>
#include <cmath>
#include <memory>

#include "gui/qt/Appearance.h"
#include "gui/qt/QtForm.h"
#include "main_window/Lintara.h"
#include "tests/mock/FakeServices.h"
#include "tests/support/TempFolder.h"

using lintara::ControlKind;
using lintara::QtForm;
using L = Lintara;
using O = LintaraOptions;

namespace {

const char* ClassOf(ControlKind kind) {
    switch (kind) {
        case ControlKind::Frame:
            return "QGroupBox";
        case ControlKind::Label:
            return "QLabel";
        case ControlKind::TextBox:
            return "QLineEdit";
        case ControlKind::ComboBox:
            return "QComboBox";
        case ControlKind::CheckBox:
            return "QCheckBox";
        case ControlKind::OptionButton:
            return "QRadioButton";
        case ControlKind::CommandButton:
            return "QPushButton";
    }
    return "";
}

QString Caption(QWidget* control) {
    if (auto* w = qobject_cast<QAbstractButton*>(control)) return w->text();
    if (auto* w = qobject_cast<QLineEdit*>(control)) return w->text();
    if (auto* w = qobject_cast<QLabel*>(control)) return w->text();
    if (auto* w = qobject_cast<QGroupBox*>(control)) return w->title();
    if (auto* w = qobject_cast<QComboBox*>(control)) return w->currentText();
    return QStringLiteral("?");
}

int Px(int twips) {
    return static_cast<int>(std::lround(twips / 15.0));
}

// The program: the main window loaded over a settings file, rendered with Qt.
struct Program {
    explicit Program(const std::string& commandLine = "lintara://server1/") {
        services.applicationFolder = folder.path().string();
        lintara::test::WriteFile(folder.file("Lintara.ini"), "[DefaultConnection]\nType=Ping\n");
        services.existingFiles.insert(folder.file("Lintara.ini"));
        services.commandLineText = commandLine;
        main = std::make_unique<Lintara>(services, forms, [this] {
            ++dialogs;
            return std::string();
        });
    }
    Program& Start() {
        main->Form_Load();
        main->Show();
        return *this;
    }
    QtForm& form() { return static_cast<QtForm&>(main->form()); }
    QtForm& options() {
        if (!main->OptionsWindow()) {
            QTest::mouseClick(form().control<QPushButton>(L::Options), Qt::LeftButton);
        }
        return static_cast<QtForm&>(main->OptionsWindow()->form());
    }

    lintara::test::TempFolder folder;
    lintara::test::FakeServices services;
    lintara::QtFormFactory forms;
    int dialogs = 0;
    std::unique_ptr<Lintara> main;
};

void Click(QAbstractButton* button) {
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
}

}  // namespace

class TestQtForm : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { QApplication::setFont(lintara::LayoutFont()); }
    void controlsFollowTheTable_data();
    void controlsFollowTheTable();
    void windows();
    void mainWindowFocusFollowsTabOrder();
    void optionsFocusFollowsTabOrder();
    void inputLimits();
    void enterInHostOrPortPressesConnect();
    void escAndEnterPressNothingInOptions();
    void onlyTheUsersActionsAreReported();
    void buttonsClickOnceOnAReleaseOverThem();
    void render();
};

void TestQtForm::controlsFollowTheTable_data() {
    QTest::addColumn<bool>("options");
    QTest::newRow("main window") << false;
    QTest::newRow("Options window") << true;
}

void TestQtForm::controlsFollowTheTable() {
    QFETCH(bool, options);
    Program p;
    QtForm& form = options ? p.options() : p.form();
    const auto table = options ? O::Controls() : L::Controls();
    QWidget* window = form.window();
    int direct = 0;
    for (std::size_t i = 0; i < table.size(); ++i) {
        const lintara::ControlRow& c = table[i];
        const int index = static_cast<int>(i);
        QWidget* w = form.control(index);
        const QByteArray name(c.name);
        QVERIFY2(w && w->objectName() == QLatin1String(c.name), name);
        QVERIFY2(w->inherits(ClassOf(c.kind)), name);
        QWidget* container = c.container < 0 ? window : form.control(c.container);
        QCOMPARE(w->parentWidget(), container);
        if (c.container < 0) ++direct;
        QCOMPARE(w->geometry(), QRect(Px(c.left), Px(c.top), Px(c.width), Px(c.height)));
        QCOMPARE(w->toolTip(), QString::fromUtf8(c.toolTip));
        QVERIFY2(!w->isHidden(), name);
        if (c.kind == ControlKind::CommandButton && c.picture) {
            auto* button = static_cast<QPushButton*>(w);
            QVERIFY(button->text().isEmpty());
            QVERIFY(!button->icon().isNull());
            QCOMPARE(button->iconSize(), QSize(32, 32));
        } else if (c.kind != ControlKind::ComboBox && c.kind != ControlKind::TextBox) {
            QCOMPARE(Caption(w), QString::fromUtf8(c.caption));
        }
        if (auto* box = qobject_cast<QLineEdit*>(w)) {
            QCOMPARE(box->maxLength(), c.maxLength > 0 ? c.maxLength : INT_MAX);
            QCOMPARE(box->echoMode(), c.masked ? QLineEdit::Password : QLineEdit::Normal);
        }
        if (auto* combo = qobject_cast<QComboBox*>(w)) QCOMPARE(combo->isEditable(), c.editable);
        // Controls of the window that stand over a frame are drawn above it.
        if (c.container < 0 && c.kind != ControlKind::Frame) {
            QCOMPARE(window->childAt(w->geometry().center()), w);
        }
    }
    // Tab order: the table's, except that the main window's host box comes first
    // without a host on the command line (here there is one).
    for (std::size_t i = 0; i < table.size(); ++i) {
        QCOMPARE(form.TabIndex(static_cast<int>(i)), table[i].tabIndex);
    }
    QCOMPARE(window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly).size(), direct);
}

void TestQtForm::windows() {
    Program p;
    QWidget* main = p.form().window();
    QCOMPARE(main->objectName(), QStringLiteral("Lintara"));
    QCOMPARE(main->windowTitle(), QStringLiteral(" Lintara v. 1.2"));
    QCOMPARE(main->minimumSize(), QSize(453, 245));
    QCOMPARE(main->maximumSize(), QSize(453, 245));
    Qt::WindowFlags flags = main->windowFlags();
    QVERIFY(flags & Qt::WindowMinimizeButtonHint);
    QVERIFY(flags & Qt::WindowCloseButtonHint);
    QVERIFY(flags & Qt::WindowSystemMenuHint);
    QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
    QCOMPARE(main->windowIcon().availableSizes(), (QList<QSize>{{32, 32}, {48, 48}}));

    p.Start();
    QWidget* options = p.options().window();
    QCOMPARE(options->objectName(), QStringLiteral("LintaraOptions"));
    QCOMPARE(options->windowTitle(), QStringLiteral(" Lintara Options"));
    QCOMPARE(options->minimumSize(), QSize(422, 640));
    QCOMPARE(options->maximumSize(), QSize(422, 640));
    flags = options->windowFlags();
    QCOMPARE(options->windowType(), Qt::Dialog);
    QVERIFY(flags & Qt::WindowCloseButtonHint);
    QVERIFY(flags & Qt::CustomizeWindowHint);  // only the hints asked for
    QVERIFY(!(flags & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
    // Owned by the main window, so it has no taskbar button of its own.
    QCOMPARE(options->parentWidget(), main);
    QVERIFY(QTest::qWaitForWindowExposed(options));
    QVERIFY(!main->isVisible());
    const QRect screen = options->screen()->availableGeometry();
    QVERIFY(std::abs(options->frameGeometry().center().x() - screen.center().x()) <= 1);
    QVERIFY(options->frameGeometry().top() >= screen.top());

    // Closed from its title bar: the main window is back, the program goes on.
    QVERIFY(options->close());
    QVERIFY(main->isVisible());
    QCOMPARE(p.services.endCount, 0);
    // Closing the main window ends the program.
    QVERIFY(main->close());
    QCOMPARE(p.services.endCount, 1);
}

void TestQtForm::mainWindowFocusFollowsTabOrder() {
    Program p("");
    p.Start();
    QtForm& f = p.form();
    QVERIFY(QTest::qWaitForWindowActive(f.window()));
    // No command line: the host box comes first and has the focus.
    QCOMPARE(QApplication::focusWidget(), f.control(L::ConnectText));
    f.control<QLineEdit>(L::ConnectText)->setText(QStringLiteral("server1"));
    Click(f.control<QRadioButton>(L::MapDriveOption));  // keeps the panel enabled
    f.SetFocus(L::ConnectText);
    const QList<int> expected = {L::ConnectButton, L::PortText,   L::Anonymous, L::UserNameText,
                                 L::PasswordText,  L::ShareText,  L::DriveText, L::MapDriveOption,
                                 L::Options,       L::ConnectText};
    for (int next : expected) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QWidget* focus = QApplication::focusWidget();
        if (focus && focus->parentWidget() == f.control(L::ShareText))
            focus = focus->parentWidget();
        QCOMPARE(focus ? focus->objectName() : QString(), f.control(next)->objectName());
    }
}

void TestQtForm::optionsFocusFollowsTabOrder() {
    Program p;
    p.Start();
    QtForm& f = p.options();
    QVERIFY(QTest::qWaitForWindowActive(f.window()));
    QCOMPARE(QApplication::focusWidget(), f.control(O::TSChooseButton));
    // Tab stops at the selected button of the group (Ping, from the file).
    QList<int> expected = {O::TSText,
                           O::TSCommandLineOptionsText,
                           O::RDPConsoleText,
                           O::RDPConsoleChooseButton,
                           O::RDPConsoleCommandLineOptionsText,
                           O::CancelButton,
                           O::OKButton,
                           O::VNCText,
                           O::VNCChooseButton,
                           O::VNCCommandLineOptionsText,
                           O::TelnetText,
                           O::TelnetChooseButton,
                           O::TelnetCommandLineOptionsText,
                           O::SSHText,
                           O::SSHChooseButton,
                           O::SSHCommandLineOptionsText,
                           O::PingOption,
                           O::FTPText,
                           O::FTPChooseButton,
                           O::FTPCommandLineOptionsText,
                           O::TSChooseButton};
    for (int next : expected) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), f.control(next));
    }
    std::reverse(expected.begin(), expected.end());
    expected.removeFirst();
    expected.append(O::TSChooseButton);
    for (int next : expected) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
        QCOMPARE(QApplication::focusWidget(), f.control(next));
    }
}

void TestQtForm::inputLimits() {
    Program p;
    QtForm& f = p.form();
    auto* port = f.control<QLineEdit>(L::PortText);
    port->clear();
    QTest::keyClicks(port, "1234567");
    QCOMPARE(port->text(), QStringLiteral("12345"));
    // Typed text stays as typed: nothing is completed and nothing added to the list.
    auto* share = f.control<QComboBox>(L::ShareText);
    share->addItem(QStringLiteral("\\\\alpha\\C$"));
    share->setEditText(QString());
    QTest::keyClicks(share->lineEdit(), "\\\\al");
    QTest::keyClick(share->lineEdit(), Qt::Key_Return);
    QCOMPARE(share->currentText(), QStringLiteral("\\\\al"));
    QCOMPARE(share->count(), 1);
    // A pasted line break in a text box becomes a blank.
    auto* host = f.control<QLineEdit>(L::ConnectText);
    host->clear();
    host->insert(QStringLiteral("a\nb"));
    QCOMPARE(host->text(), QStringLiteral("a b"));
}

void TestQtForm::enterInHostOrPortPressesConnect() {
    for (int box : {L::ConnectText, L::PortText}) {
        Program p;
        p.Start();
        QTest::keyClick(p.form().control(box), Qt::Key_Return);
        QCOMPARE(p.services.started, std::vector<std::string>{"ping -t server1"});
    }
}

void TestQtForm::escAndEnterPressNothingInOptions() {
    Program p;
    p.Start();
    QtForm& f = p.options();
    QVERIFY(QTest::qWaitForWindowActive(f.window()));
    QTest::keyClick(f.control(O::TSChooseButton), Qt::Key_Escape);
    f.SetFocus(O::TSText);
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
        QTest::keyClick(f.control(O::TSText), key);
    }
    QVERIFY(f.Visible());
    QCOMPARE(p.dialogs, 0);
    // Enter on a button that has the focus presses it.
    f.SetFocus(O::OKButton);
    QTest::keyClick(f.control(O::OKButton), Qt::Key_Return);
    QVERIFY(!f.Visible());
    QVERIFY(p.form().Visible());
}

// Counts what the front end reports.
struct Recorder : lintara::FormEvents {
    QStringList events;
    void Click(int c) override { events << QStringLiteral("click %1").arg(c); }
    void Change(int c) override { events << QStringLiteral("change %1").arg(c); }
    void Enter(int c) override { events << QStringLiteral("enter %1").arg(c); }
    void QueryClose() override { events << QStringLiteral("close"); }
};

void TestQtForm::onlyTheUsersActionsAreReported() {
    Recorder recorder;
    QtForm f(L::Layout(), recorder, nullptr);
    f.Show();
    QVERIFY(QTest::qWaitForWindowExposed(f.window()));
    // Changes made by code: nothing.
    f.SetText(L::ConnectText, "server1");
    f.SetChecked(L::VNCOption, true);
    f.SetChecked(L::Anonymous, true);
    f.ListAdd(L::ShareText, "\\\\a\\C$");
    f.ListSelect(L::ShareText, 0);
    QCOMPARE(recorder.events, QStringList());
    QVERIFY(f.Checked(L::VNCOption));
    f.SetChecked(L::SSHOption, true);
    QVERIFY(!f.Checked(L::VNCOption));  // one group

    // The user: each action once; a selected option button selected again is nothing.
    QTest::keyClicks(f.control(L::ConnectText), "x");
    Click(f.control<QRadioButton>(L::SSHOption));
    Click(f.control<QRadioButton>(L::TelnetOption));
    Click(f.control<QCheckBox>(L::Anonymous));
    Click(f.control<QPushButton>(L::ConnectButton));
    QTest::keyClick(f.control(L::PortText), Qt::Key_Return);
    QVERIFY(f.window()->close());
    QCOMPARE(recorder.events,
             (QStringList{QStringLiteral("change %1").arg(L::ConnectText),
                          QStringLiteral("click %1").arg(L::TelnetOption),
                          QStringLiteral("click %1").arg(L::Anonymous),
                          QStringLiteral("click %1").arg(L::ConnectButton),
                          QStringLiteral("enter %1").arg(L::PortText), QStringLiteral("close")}));
    QVERIFY(!f.Checked(L::Anonymous));
}

void TestQtForm::buttonsClickOnceOnAReleaseOverThem() {
    // How the mouse (or the keyboard) leaves Connect, and whether that is one click.
    const struct {
        const char* what;
        std::function<void(QPushButton*)> act;
        bool clicks;
    } cases[] = {
        {"click", [](QPushButton* b) { QTest::mouseClick(b, Qt::LeftButton); }, true},
        {"release outside",
         [](QPushButton* b) {
             QTest::mousePress(b, Qt::LeftButton);
             QTest::mouseMove(b, QPoint(-20, -20));
             QTest::mouseRelease(b, Qt::LeftButton, {}, QPoint(-20, -20));
         },
         false},
        {"out and back in",
         [](QPushButton* b) {
             QTest::mousePress(b, Qt::LeftButton);
             QTest::mouseMove(b, QPoint(-20, -20));
             QTest::mouseMove(b, b->rect().center());
             QTest::mouseRelease(b, Qt::LeftButton);
         },
         true},
        {"right button", [](QPushButton* b) { QTest::mouseClick(b, Qt::RightButton); }, false},
        {"space", [](QPushButton* b) { QTest::keyClick(b, Qt::Key_Space); }, true},
    };
    for (const auto& c : cases) {
        Recorder recorder;
        QtForm f(L::Layout(), recorder, nullptr);
        f.Show();
        QVERIFY(QTest::qWaitForWindowExposed(f.window()));
        auto* button = f.control<QPushButton>(L::ConnectButton);
        button->setFocus();
        c.act(button);
        const QStringList expected =
            c.clicks ? QStringList{QStringLiteral("click %1").arg(L::ConnectButton)}
                     : QStringList{};
        QVERIFY2(recorder.events == expected, c.what);
        QVERIFY2(!button->isDown(), c.what);
    }
}

void TestQtForm::render() {
    Program p;
    p.Start();
    QVERIFY(QTest::qWaitForWindowExposed(p.form().window()));
    QVERIFY(p.form().window()->grab().save(QStringLiteral(LINTARA_RENDER_DIR "/main_window.png")));
    QtForm& options = p.options();
    QVERIFY(QTest::qWaitForWindowExposed(options.window()));
    QVERIFY(
        options.window()->grab().save(QStringLiteral(LINTARA_RENDER_DIR "/options_window.png")));
}

QTEST_MAIN(TestQtForm)
#include "TestQtForm.moc"
