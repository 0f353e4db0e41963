#pragma once

#include <QLabel>

namespace testloop {

// A picture without a border that acts as a button: clicked when the left mouse button is
// pressed and released over it.
class PictureButton : public QLabel
{
    Q_OBJECT
public:
    explicit PictureButton(const QPixmap &picture, QWidget *parent = nullptr);

    // Runs the picture's command as a mouse click would (menus and keyboard shortcuts).
    void click() { emit clicked(); }

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    bool m_pressed = false;
};

} // namespace testloop
