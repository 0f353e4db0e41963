#pragma once

#include <QPushButton>

namespace testloop {

// A push button whose caption wraps onto several lines when the button is narrower than it.
class WrappingButton : public QPushButton
{
    Q_OBJECT
public:
    explicit WrappingButton(const QString &text, QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
};

} // namespace testloop
