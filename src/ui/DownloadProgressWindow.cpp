#include "ui/DownloadProgressWindow.h"

#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace testloop {

DownloadProgressWindow::DownloadProgressWindow(int maximum, std::chrono::milliseconds blinkTick,
                                               QWidget *parent)
    : QWidget(parent, Qt::Dialog | Qt::CustomizeWindowHint)
    , m_label(new QLabel(QStringLiteral("DOWNLOAD"), this))
    , m_bar(new QProgressBar(this))
    , m_abort(new QPushButton(QStringLiteral("Abort"), this))
    , m_blink(new QTimer(this))
{
    // No title: the window has neither a caption nor title-bar buttons.
    setObjectName(QStringLiteral("Form3"));
    setAttribute(Qt::WA_DeleteOnClose);
    m_label->setObjectName(QStringLiteral("Label1"));
    m_label->setAlignment(Qt::AlignCenter);
    QFont bold = m_label->font();
    bold.setBold(true);
    m_label->setFont(bold);
    m_bar->setObjectName(QStringLiteral("ProgressBar1"));
    m_bar->setRange(0, maximum);
    m_bar->setValue(0);
    m_abort->setObjectName(QStringLiteral("Command1"));
    m_blink->setObjectName(QStringLiteral("Timer1"));

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_label);
    layout->addWidget(m_bar);
    layout->addWidget(m_abort, 0, Qt::AlignHCenter);
    setFixedSize(320, 120);

    connect(m_abort, &QPushButton::clicked, this, &DownloadProgressWindow::abortRequested);
    // The label's place is kept while it is hidden, so the window does not jump.
    QSizePolicy keepPlace = m_label->sizePolicy();
    keepPlace.setRetainSizeWhenHidden(true);
    m_label->setSizePolicy(keepPlace);
    connect(m_blink, &QTimer::timeout, this, [this] { m_label->setVisible(m_label->isHidden()); });
    m_blink->start(blinkTick);
}

void DownloadProgressWindow::closeEvent(QCloseEvent *event)
{
    emit abortRequested(); // nothing happens when the download has already ended
    QWidget::closeEvent(event);
}

void DownloadProgressWindow::setProgress(int value)
{
    m_bar->setValue(value);
}

} // namespace testloop
