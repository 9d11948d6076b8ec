// The Qt front end: creates the widgets of a control table and reports what the user does.
#include "gui/qt/QtForm.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QShowEvent>
#include <QTimer>
#include <QValidator>
#include <algorithm>
#include <climits>
#include <cmath>

#include "core/display_text.h"
#include "gui/qt/Appearance.h"
#include "gui/qt/CommandButton.h"
#include "gui/qt/WrappingButton.h"

namespace lintara {

namespace {

// Qt scales device-independent pixels as one: 15 twips make one.
int Px(int twips) {
    return static_cast<int>(std::lround(twips / 15.0));
}

QString FromUtf8(const std::string& text) {
    return QString::fromStdString(text);
}

std::string ToUtf8(const QString& text) {
    return text.toStdString();
}

// A text box holds one line: a pasted line break becomes a blank.
class OneLineValidator : public QValidator {
  public:
    using QValidator::QValidator;
    State validate(QString& input, int& position) const override {
        if (input.contains(QLatin1Char('\r')) || input.contains(QLatin1Char('\n'))) {
            const auto before = input.size();
            input = FromUtf8(OneLine(ToUtf8(input)));
            position = std::max(0, position - static_cast<int>(before - input.size()));
        }
        return Acceptable;
    }
};

}  // namespace

class QtForm::Window : public QWidget {
  public:
    Window(QtForm& form, QWidget* parent, Qt::WindowFlags flags)
        : QWidget(parent, flags), m_form(form) {}

  protected:
    void closeEvent(QCloseEvent* event) override {
        QWidget::closeEvent(event);
        m_form.Closing();
    }
    void showEvent(QShowEvent* event) override {
        QWidget::showEvent(event);
        if (m_shownBefore || event->spontaneous()) return;
        m_shownBefore = true;
        m_form.FirstShown();
    }
    bool focusNextPrevChild(bool next) override { return m_form.FocusNext(next); }

  private:
    QtForm& m_form;
    bool m_shownBefore = false;
};

QtForm::QtForm(const FormTable& table, FormEvents& events, Form* owner)
    : m_table(table), m_events(events), m_order(TabOrderOf(table.controls)) {
    auto* ownerForm = dynamic_cast<QtForm*>(owner);
    QWidget* parent = ownerForm && !table.taskbarButton ? ownerForm->window() : nullptr;
    Qt::WindowFlags flags = (parent ? Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint : Qt::Window) |
                            Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                            Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (table.minimizeButton) flags |= Qt::WindowMinimizeButtonHint;
    m_window = new Window(*this, parent, flags);
    m_window->setObjectName(QString::fromLatin1(table.name));
    m_window->setWindowTitle(FromUtf8(table.caption));
    m_window->setWindowIcon(AppIcon());
    m_window->setFixedSize(Px(table.width), Px(table.height));
    CreateControls();
    ApplyTabOrder();
}

QtForm::~QtForm() {
    delete m_window.data();
}

void QtForm::CreateControls() {
    auto* validator = new OneLineValidator(m_window);
    m_controls.resize(m_table.controls.size());
    for (std::size_t i = 0; i < m_table.controls.size(); ++i) {
        const ControlRow& c = m_table.controls[i];
        // Frames come before what they hold in every table.
        QWidget* parent = c.container == kWindowContainer
                              ? m_window.data()
                              : m_controls[static_cast<std::size_t>(c.container)];
        const QString caption = FromUtf8(c.caption);
        const int index = static_cast<int>(i);
        QWidget* widget = nullptr;
        switch (c.kind) {
            case ControlKind::Frame:
                widget = new QGroupBox(caption, parent);
                break;
            case ControlKind::Label:
                widget = new QLabel(caption, parent);
                break;
            case ControlKind::TextBox: {
                auto* box = new QLineEdit(parent);
                box->setMaxLength(c.maxLength > 0 ? c.maxLength : INT_MAX);
                box->setValidator(validator);
                box->setText(caption);
                if (c.masked) box->setEchoMode(QLineEdit::Password);
                QObject::connect(box, &QLineEdit::textEdited,
                                 [this, index] { m_events.Change(index); });
                QObject::connect(box, &QLineEdit::returnPressed,
                                 [this, index] { m_events.Enter(index); });
                widget = box;
                break;
            }
            case ControlKind::ComboBox: {
                auto* combo = new QComboBox(parent);
                if (c.editable) {
                    combo->setEditable(true);
                    // Typed text is used as it stands: no completion, nothing added.
                    combo->setCompleter(nullptr);
                    combo->setInsertPolicy(QComboBox::NoInsert);
                    combo->setEditText(caption);
                    QObject::connect(combo->lineEdit(), &QLineEdit::textEdited,
                                     [this, index] { m_events.Change(index); });
                }
                widget = combo;
                break;
            }
            case ControlKind::CheckBox: {
                auto* check = new WrappingButton<QCheckBox>(caption, parent);
                QObject::connect(check, &QCheckBox::clicked,
                                 [this, index] { m_events.Click(index); });
                widget = check;
                break;
            }
            case ControlKind::OptionButton: {
                auto* option = new WrappingButton<QRadioButton>(caption, parent);
                // Newly selected by the user (click or arrow key); a button that was
                // selected already is not selected again.
                QObject::connect(option, &QRadioButton::toggled, [this, index](bool on) {
                    if (on && !m_fromCode) m_events.Click(index);
                });
                widget = option;
                break;
            }
            case ControlKind::CommandButton: {
                auto* button = new CommandButton(parent);
                if (c.picture) {
                    button->setIcon(AppIcon());
                    button->setIconSize(QSize(32, 32));
                } else {
                    button->setText(caption);
                }
                // Enter presses a button only while it has the focus; none is the default.
                button->setAutoDefault(true);
                button->setDefault(false);
                QObject::connect(button, &QPushButton::clicked,
                                 [this, index] { m_events.Click(index); });
                widget = button;
                break;
            }
        }
        widget->setObjectName(QString::fromLatin1(c.name));
        widget->setGeometry(Px(c.left), Px(c.top), Px(c.width), Px(c.height));
        if (*c.toolTip) widget->setToolTip(FromUtf8(c.toolTip));
        m_controls[i] = widget;
    }
    // Controls of the window that lie over a frame are drawn above it.
    for (std::size_t i = 0; i < m_controls.size(); ++i) {
        const ControlRow& c = m_table.controls[i];
        if (c.container == kWindowContainer && c.kind != ControlKind::Frame) m_controls[i]->raise();
    }
}

void QtForm::ApplyTabOrder() {
    QWidget* previous = nullptr;
    for (int index : m_order) {
        if (!TakesFocus(m_table.controls[static_cast<std::size_t>(index)].kind)) continue;
        QWidget* widget = control(index);
        if (previous) QWidget::setTabOrder(previous, widget);
        previous = widget;
    }
}

// The control that holds focus, or -1; the option buttons of a group are one stop, at
// the selected button, as on the desktops the layouts were designed for.
int QtForm::StopOf(QWidget* focus) const {
    int found = -1;
    // The innermost control: a combo box's own line edit stands for the combo box.
    for (QWidget* w = focus; w && w != m_window && found < 0; w = w->parentWidget()) {
        const auto at = std::find(m_controls.begin(), m_controls.end(), w);
        if (at != m_controls.end()) found = static_cast<int>(at - m_controls.begin());
    }
    if (found < 0) return -1;
    const ControlRow& c = m_table.controls[static_cast<std::size_t>(found)];
    if (c.kind != ControlKind::OptionButton) return found;
    int first = -1;
    for (int index : m_order) {
        const ControlRow& other = m_table.controls[static_cast<std::size_t>(index)];
        if (other.kind != ControlKind::OptionButton || other.container != c.container) continue;
        if (first < 0) first = index;
        if (Checked(index)) return index;
    }
    return first;
}

bool QtForm::FocusNext(bool next) {
    std::vector<int> stops;
    for (int index : m_order) {
        if (!TakesFocus(m_table.controls[static_cast<std::size_t>(index)].kind)) continue;
        QWidget* widget = control(index);
        if (!widget->isEnabled() || !widget->isVisibleTo(m_window)) continue;
        const int stop = StopOf(widget);
        if (std::find(stops.begin(), stops.end(), stop) == stops.end()) stops.push_back(stop);
    }
    if (stops.empty()) return false;
    const int current = StopOf(QApplication::focusWidget());
    const auto at = std::find(stops.begin(), stops.end(), current);
    const auto count = static_cast<std::ptrdiff_t>(stops.size());
    std::ptrdiff_t i = at == stops.end() ? (next ? -1 : 0) : at - stops.begin();
    i = (i + (next ? 1 : -1) + count) % count;
    control(stops[static_cast<std::size_t>(i)])
        ->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    return true;
}

void QtForm::FirstShown() {
    // Centred on the screen with its frame, which is known only once it is shown.
    QWidget* parent = m_window->parentWidget();
    QScreen* screen = parent ? parent->screen() : m_window->screen();
    if (!screen) screen = QGuiApplication::primaryScreen();
    if (screen) {
        const QRect area = screen->availableGeometry();
        QRect place = m_window->frameGeometry();
        place.moveCenter(area.center());
        // On a screen smaller than the window, keep the title bar reachable.
        place.moveTop(std::max(place.top(), area.top()));
        place.moveLeft(std::max(place.left(), area.left()));
        m_window->move(place.topLeft());
    }
    // The first control of the tab order holds the focus when the window appears.
    for (int index : m_order) {
        if (TakesFocus(m_table.controls[static_cast<std::size_t>(index)].kind) &&
            control(index)->isEnabled()) {
            control(index)->setFocus(Qt::OtherFocusReason);
            break;
        }
    }
}

void QtForm::Closing() {
    if (!m_closing) m_events.QueryClose();
}

std::string QtForm::Text(int index) const {
    QWidget* w = control(index);
    if (auto* box = qobject_cast<QLineEdit*>(w)) return ToUtf8(box->text());
    if (auto* combo = qobject_cast<QComboBox*>(w)) return ToUtf8(combo->currentText());
    if (auto* button = qobject_cast<QAbstractButton*>(w)) return ToUtf8(button->text());
    if (auto* label = qobject_cast<QLabel*>(w)) return ToUtf8(label->text());
    if (auto* frame = qobject_cast<QGroupBox*>(w)) return ToUtf8(frame->title());
    return {};
}

void QtForm::SetText(int index, const std::string& text) {
    QWidget* w = control(index);
    const QString shown = FromUtf8(text);
    if (auto* box = qobject_cast<QLineEdit*>(w)) {
        box->setText(shown);
    } else if (auto* combo = qobject_cast<QComboBox*>(w)) {
        if (combo->isEditable()) {
            combo->setEditText(shown);
        } else {
            combo->setCurrentIndex(combo->findText(shown));
        }
    } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
        button->setText(shown);
    } else if (auto* label = qobject_cast<QLabel*>(w)) {
        label->setText(shown);
    } else if (auto* frame = qobject_cast<QGroupBox*>(w)) {
        frame->setTitle(shown);
    }
}

bool QtForm::Checked(int index) const {
    auto* button = control<QAbstractButton>(index);
    return button && button->isChecked();
}

void QtForm::SetChecked(int index, bool checked) {
    auto* button = control<QAbstractButton>(index);
    if (!button) return;
    m_fromCode = true;
    if (!checked && button->autoExclusive()) {
        // An exclusive group never lets its selected button go on its own.
        button->setAutoExclusive(false);
        button->setChecked(false);
        button->setAutoExclusive(true);
    } else {
        button->setChecked(checked);
    }
    m_fromCode = false;
}

bool QtForm::Enabled(int index) const {
    return control(index)->isEnabled();
}

void QtForm::SetEnabled(int index, bool enabled) {
    control(index)->setEnabled(enabled);
}

void QtForm::ListClear(int index) {
    if (auto* combo = control<QComboBox>(index)) combo->clear();
}

void QtForm::ListAdd(int index, const std::string& item) {
    if (auto* combo = control<QComboBox>(index)) combo->addItem(FromUtf8(item));
}

void QtForm::ListSelect(int index, int item) {
    if (auto* combo = control<QComboBox>(index)) combo->setCurrentIndex(item);
}

int QtForm::ListIndex(int index) const {
    auto* combo = control<QComboBox>(index);
    return combo ? combo->currentIndex() : -1;
}

int QtForm::ListCount(int index) const {
    auto* combo = control<QComboBox>(index);
    return combo ? combo->count() : 0;
}

std::string QtForm::ListItem(int index, int item) const {
    auto* combo = control<QComboBox>(index);
    return combo ? ToUtf8(combo->itemText(item)) : std::string();
}

void QtForm::SetFocus(int index) {
    control(index)->setFocus(Qt::OtherFocusReason);
}

void QtForm::SetTabIndex(int index, int position) {
    MoveInTabOrder(m_order, index, position);
    ApplyTabOrder();
}

int QtForm::TabIndex(int index) const {
    const auto at = std::find(m_order.begin(), m_order.end(), index);
    return at == m_order.end() ? -1 : static_cast<int>(at - m_order.begin());
}

void QtForm::Show() {
    m_window->show();
}

void QtForm::Hide() {
    m_window->hide();
}

void QtForm::Close() {
    m_closing = true;
    if (m_timer) m_timer->stop();
    m_window->close();
    m_closing = false;
}

bool QtForm::Visible() const {
    return m_window->isVisible();
}

void QtForm::StartTimer(int milliseconds) {
    if (!m_timer) {
        m_timer = new QTimer(m_window);
        QObject::connect(m_timer, &QTimer::timeout, [this] { m_events.Timer(); });
    }
    m_timer->start(milliseconds);
}

void QtForm::StopTimer() {
    if (m_timer) m_timer->stop();
}

}  // namespace lintara
