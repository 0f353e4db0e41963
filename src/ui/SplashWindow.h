#pragma once

#include "scan/Timings.h"

#include <QPixmap>
#include <QWidget>

#include <chrono>

class QLabel;
class QTimer;

namespace testloop {

// frmSplash, the first window of every run: a picture without a title bar, centred on the
// screen, with a countdown from 4 in its bottom-right corner. The last tick of the countdown or
// any key that produces a character ends it: finished() is emitted once, then the window closes
// and deletes itself. The receiver of finished() shows the main window.
class SplashWindow : public QWidget
{
    Q_OBJECT
public:
    static constexpr int CountdownStart = 4;

    explicit SplashWindow(std::chrono::milliseconds tick = Timings {}.splashTick,
                          QWidget *parent = nullptr);

    // Whether a key press produces a character: any text at all, and the keys whose character
    // a platform may leave out of the event (Enter, Escape, Tab, Backspace).
    static bool isCharacterKey(int key, const QString &text);

    // The font made smaller, if need be, until the text fits the width in pixels: the label's
    // place was sized for Arial, and a wider face standing in for it would cut the text off.
    static QFont fittedFont(QFont font, const QString &text, int width);

    // What the countdown shows after one more tick from the shown value; 0 ends it.
    static int nextCount(int shown) { return shown > 0 ? shown - 1 : 0; }

signals:
    // A tick has put the new value in the countdown label (3, 2 and 1).
    void countdownChanged(int remaining);
    // The splash is over: shown once, by the countdown or by a key.
    void finished();

protected:
    bool event(QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void countDown();
    void finish();

    QLabel *m_platform;
    QLabel *m_countdown;
    QTimer *m_timer;
    QPixmap m_picture;
    int m_remaining = CountdownStart;
    bool m_started = false;
    bool m_finished = false;
};

} // namespace testloop
