// Option buttons and check boxes whose caption wraps onto a second line when the
// control is too narrow for one, as the two-line buttons of the layouts expect.
#pragma once

#include <QCheckBox>
#include <QRadioButton>
#include <QStyleOptionButton>
#include <QStylePainter>
#include <type_traits>

template <class Base>
class WrappingButton : public Base {
  public:
    using Base::Base;

  protected:
    void paintEvent(QPaintEvent*) override {
        constexpr bool radio = std::is_base_of_v<QRadioButton, Base>;
        QStylePainter painter(this);
        QStyleOptionButton option;
        this->initStyleOption(&option);
        QStyleOptionButton indicator = option;
        indicator.rect = this->style()->subElementRect(
            radio ? QStyle::SE_RadioButtonIndicator : QStyle::SE_CheckBoxIndicator, &option, this);
        painter.drawPrimitive(
            radio ? QStyle::PE_IndicatorRadioButton : QStyle::PE_IndicatorCheckBox, indicator);

        const int spacing = this->style()->pixelMetric(
            radio ? QStyle::PM_RadioButtonLabelSpacing : QStyle::PM_CheckBoxLabelSpacing, &option,
            this);
        QRect textArea = this->rect();
        textArea.setLeft(indicator.rect.right() + 1 + spacing);
        const int flags =
            Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap | Qt::TextShowMnemonic;
        painter.drawItemText(textArea, flags, option.palette, this->isEnabled(), this->text(),
                             QPalette::WindowText);
        if (this->hasFocus()) {
            QStyleOptionFocusRect focus;
            focus.initFrom(this);
            focus.rect = painter.fontMetrics()
                             .boundingRect(textArea, flags, this->text())
                             .adjusted(-1, 0, 1, 0)
                             .intersected(this->rect());
            painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
        }
    }

    // The whole control answers to the mouse, caption included.
    bool hitButton(const QPoint& pos) const override { return this->rect().contains(pos); }
};
