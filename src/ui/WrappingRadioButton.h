#pragma once

#include <QRadioButton>

namespace testloop {

// A radio button whose caption wraps onto several lines when the button is narrower than it.
class WrappingRadioButton : public QRadioButton
{
    Q_OBJECT
public:
    explicit WrappingRadioButton(const QString &text, QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
};

} // namespace testloop
