// The Qt front end: a window's control table rendered with Qt widgets.
#pragma once

#include <QPointer>
#include <QWidget>
#include <memory>
#include <vector>

#include "core/form.h"

class QTimer;

namespace lintara {

class QtForm : public Form {
  public:
    // owner, when given, is a QtForm: the window then has no taskbar button of its own.
    QtForm(const FormTable& table, FormEvents& events, Form* owner);
    ~QtForm() override;

    std::string Text(int control) const override;
    void SetText(int control, const std::string& text) override;
    bool Checked(int control) const override;
    void SetChecked(int control, bool checked) override;
    bool Enabled(int control) const override;
    void SetEnabled(int control, bool enabled) override;
    void ListClear(int control) override;
    void ListAdd(int control, const std::string& item) override;
    void ListSelect(int control, int index) override;
    int ListIndex(int control) const override;
    int ListCount(int control) const override;
    std::string ListItem(int control, int index) const override;
    void SetFocus(int control) override;
    void SetTabIndex(int control, int index) override;
    int TabIndex(int control) const override;
    void Show() override;
    void Hide() override;
    void Close() override;
    bool Visible() const override;
    void StartTimer(int milliseconds) override;
    void StopTimer() override;

    // The widgets, for the program's own set-up and for tests.
    QWidget* window() const { return m_window; }
    QWidget* control(int index) const { return m_controls[static_cast<std::size_t>(index)]; }
    template <class T>
    T* control(int index) const {
        return qobject_cast<T*>(control(index));
    }

    // Called by the window widget.
    void Closing();
    void FirstShown();
    bool FocusNext(bool next);

  private:
    class Window;
    void CreateControls();
    void ApplyTabOrder();
    int StopOf(QWidget* focus) const;

    const FormTable& m_table;
    FormEvents& m_events;
    QPointer<QWidget> m_window;
    std::vector<QWidget*> m_controls;
    std::vector<int> m_order;  // every control, by tab index
    QTimer* m_timer = nullptr;
    bool m_fromCode = false;  // a change made through this interface, not by the user
    bool m_closing = false;
};

class QtFormFactory : public FormFactory {
  public:
    std::unique_ptr<Form> CreateForm(const FormTable& table, FormEvents& events,
                                     Form* owner) override {
        return std::make_unique<QtForm>(table, events, owner);
    }
};

}  // namespace lintara
