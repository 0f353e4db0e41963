#include "ui/WrappingRadioButton.h"

#include <QStyleOptionButton>
#include <QStylePainter>

namespace testloop {

WrappingRadioButton::WrappingRadioButton(const QString &text, QWidget *parent)
    : QRadioButton(text, parent)
{ }

void WrappingRadioButton::paintEvent(QPaintEvent *)
{
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    const QRect textArea = style()->subElementRect(QStyle::SE_RadioButtonContents, &option, this);
    option.text.clear();
    painter.drawControl(QStyle::CE_RadioButton, option);
    painter.drawItemText(textArea, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap, palette(),
                         isEnabled(), text(), QPalette::WindowText);
}

} // namespace testloop
