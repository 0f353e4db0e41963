#include "ui/SplashWindow.h"

#include "ui/GridGeometry.h"
#include "ui/SplashPicture.h"
#include "ui/WindowCentring.h"

#include <QFontMetricsF>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPointer>
#include <QTimer>

namespace testloop {

namespace {

// The client area and the two labels, in twips from its top-left.
constexpr int ClientWidth = 8625;
constexpr int ClientHeight = 7095;
const QRect PlatformPlace(6600, 4080, 1305, 360);
const QRect CountdownPlace(8400, 6960, 135, 135);

QLabel *label(QWidget *parent, const QString &name, const QString &text, const QFont &font,
              const QRect &twips)
{
    auto *control = new QLabel(text, parent);
    control->setObjectName(name);
    control->setFont(font);
    control->setGeometry(twipsToPixels(twips, parent->logicalDpiX(), parent->logicalDpiY()));
    control->setContentsMargins(0, 0, 0, 0);
    control->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // Both sit on the dark picture: light text on a transparent ground.
    QPalette palette = control->palette();
    palette.setColor(QPalette::WindowText, QColor(255, 255, 255));
    control->setPalette(palette);
    control->setAttribute(Qt::WA_TransparentForMouseEvents);
    return control;
}

QFont platformFont()
{
    QFont font(QStringLiteral("Arial"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(15.75);
    font.setBold(true);
    return font;
}

QFont countdownFont()
{
    QFont font(QStringLiteral("Small Fonts"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(5.25);
    return font;
}

} // namespace

SplashWindow::SplashWindow(std::chrono::milliseconds tick, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("frmSplash"));
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    setFixedSize(twipsToPixels(ClientWidth, logicalDpiX()),
                 twipsToPixels(ClientHeight, logicalDpiY()));

    m_platform = label(this, QStringLiteral("lblPlatform"), QStringLiteral("Win 95/8"),
                       platformFont(), PlatformPlace);
    m_platform->setFont(fittedFont(m_platform->font(), m_platform->text(), m_platform->width()));
    m_countdown = label(this, QStringLiteral("Label1"), QString::number(CountdownStart),
                        countdownFont(), CountdownPlace);

    m_timer = new QTimer(this);
    m_timer->setObjectName(QStringLiteral("Timer1"));
    m_timer->setInterval(tick);
    connect(m_timer, &QTimer::timeout, this, &SplashWindow::countDown);

    centreOnScreen(this);
}

bool SplashWindow::isCharacterKey(int key, const QString &text)
{
    if (!text.isEmpty())
        return true;
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Backspace:
        return true;
    default:
        return false;
    }
}

QFont SplashWindow::fittedFont(QFont font, const QString &text, int width)
{
    constexpr qreal Step = 0.25;
    constexpr qreal Smallest = 6.0;
    while (font.pointSizeF() - Step >= Smallest
           && QFontMetricsF(font).horizontalAdvance(text) > width)
        font.setPointSizeF(font.pointSizeF() - Step);
    return font;
}

bool SplashWindow::event(QEvent *event)
{
    // Caught before QWidget turns Tab into a focus move.
    if (event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (isCharacterKey(key->key(), key->text())) {
            finish();
            return true;
        }
    }
    return QWidget::event(event);
}

void SplashWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // The four seconds count from the moment the splash is seen.
    if (!m_started && !m_finished) {
        m_started = true;
        m_timer->start();
    }
    activateWindow();
}

void SplashWindow::closeEvent(QCloseEvent *event)
{
    m_timer->stop();
    QWidget::closeEvent(event);
}

void SplashWindow::paintEvent(QPaintEvent *)
{
    const qreal ratio = devicePixelRatioF();
    if (m_picture.isNull() || m_picture.deviceIndependentSize().toSize() != size()
        || !qFuzzyCompare(m_picture.devicePixelRatio(), ratio))
        m_picture = SplashPicture::pixmap(size(), ratio);
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_picture);
}

void SplashWindow::countDown()
{
    if (m_finished)
        return;
    m_remaining = nextCount(m_remaining);
    if (m_remaining == 0) {
        finish();
        return;
    }
    m_countdown->setText(QString::number(m_remaining));
    emit countdownChanged(m_remaining);
}

void SplashWindow::finish()
{
    if (m_finished)
        return;
    m_finished = true;
    m_timer->stop();
    // The main window comes up before the splash goes, so that closing the splash is never the
    // last window of the program closing.
    const QPointer<SplashWindow> self(this);
    emit finished();
    if (self)
        close();
}

} // namespace testloop
