// A push button that acts on the mouse's release before it paints itself up again.
#pragma once

#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>

class CommandButton : public QPushButton {
  public:
    using QPushButton::QPushButton;

  protected:
    // QAbstractButton repaints the button at once, and waits for the X server, before it
    // says it was clicked. Here the release only schedules that paint: what the click
    // starts starts first, and a window the click hides is not painted at all.
    void mouseReleaseEvent(QMouseEvent* event) override {
        if (event->button() != Qt::LeftButton || !isDown() || isCheckable() ||
            !hitButton(event->position().toPoint())) {
            QPushButton::mouseReleaseEvent(event);
            return;
        }
        setDown(false);
        // No longer down, the base only clears its pressed state: no click, no paint.
        QPushButton::mouseReleaseEvent(event);
        event->accept();
        QPointer<CommandButton> self(this);
        emit released();
        if (self) emit clicked(false);
    }
};
