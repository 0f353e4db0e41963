#pragma once

#include <QWidget>

#include <chrono>

class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

namespace testloop {

// The small window shown while the loop configuration is downloaded: a blinking "DOWNLOAD",
// a progress bar over the 198 addresses of both loops, and "Abort".
class DownloadProgressWindow : public QWidget
{
    Q_OBJECT
public:
    DownloadProgressWindow(int maximum, std::chrono::milliseconds blinkTick,
                           QWidget *parent = nullptr);

    void setProgress(int value);

signals:
    void abortRequested();

protected:
    // Closing the window by any other way than "Abort" aborts too: the main window stays out
    // of use only while this window is there to end the download.
    void closeEvent(QCloseEvent *event) override;

private:
    QLabel *m_label; // Label1, the blinking "DOWNLOAD"
    QProgressBar *m_bar; // ProgressBar1
    QPushButton *m_abort; // Command1, "Abort"
    QTimer *m_blink; // Timer1, the blink tick
};

} // namespace testloop
