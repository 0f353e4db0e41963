#include "ui/TrafficWindow.h"

#include "link/TrafficLog.h"
#include "scan/Prompts.h"
#include "storage/SafeFileWriter.h"

#include <QAbstractListModel>
#include <QDir>
#include <QFileDialog>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

namespace testloop {

// The log as rows for the view: live, following the log in steps, or frozen on a copy of the
// lines taken when the view was paused.
class TrafficLines : public QAbstractListModel
{
public:
    explicit TrafficLines(const TrafficLog &log, QObject *parent)
        : QAbstractListModel(parent)
        , m_log(log)
        , m_first(log.dropped())
        , m_count(log.size())
    { }

    int rowCount(const QModelIndex &parent) const override
    {
        return parent.isValid() ? 0 : int(m_frozen ? m_snapshot.size() : m_count);
    }

    QVariant data(const QModelIndex &index, int role) const override
    {
        if (role != Qt::DisplayRole || !index.isValid())
            return {};
        if (m_frozen)
            return m_snapshot.value(index.row());
        // Row r shows the event recorded as number m_first + r, which the log may have
        // dropped since the last step.
        return m_log.line(qsizetype(m_first - m_log.dropped()) + index.row());
    }

    // Brings the rows in step with the log: the dropped ones go, the new ones come.
    void follow()
    {
        if (m_frozen)
            return;
        const quint64 first = m_log.dropped();
        const quint64 end = m_log.recorded();
        if (first < m_first || end < m_first + m_count) { // the log was cleared
            beginResetModel();
            m_first = first;
            m_count = qsizetype(end - first);
            endResetModel();
            return;
        }
        const quint64 shownEnd = m_first + quint64(m_count);
        const qsizetype gone = qsizetype(std::min(first, shownEnd) - m_first);
        if (gone > 0) {
            beginRemoveRows({}, 0, int(gone) - 1);
            m_first += quint64(gone);
            m_count -= gone;
            endRemoveRows();
        }
        if (first > m_first) { // everything shown was dropped, and more
            m_first = first;
        }
        const qsizetype fresh = qsizetype(end - (m_first + quint64(m_count)));
        if (fresh > 0) {
            beginInsertRows({}, int(m_count), int(m_count + fresh) - 1);
            m_count += fresh;
            endInsertRows();
        }
    }

    void freeze(bool frozen)
    {
        beginResetModel();
        m_frozen = frozen;
        m_snapshot = frozen ? m_log.lines() : QStringList();
        m_first = m_log.dropped();
        m_count = m_log.size();
        endResetModel();
    }

private:
    const TrafficLog &m_log;
    quint64 m_first; // the record number of the first row
    qsizetype m_count;
    bool m_frozen = false;
    QStringList m_snapshot;
};

namespace {

constexpr auto RefreshInterval = std::chrono::milliseconds(200);

QString chooseFile(QWidget *parent)
{
    return QFileDialog::getSaveFileName(parent, QStringLiteral("Salva traffico seriale"),
                                        QStringLiteral("traffico.txt"),
                                        QStringLiteral("Testo (*.txt);;Tutti i file (*)"));
}

} // namespace

TrafficWindow::TrafficWindow(TrafficLog &log, Prompts &prompts, QWidget *parent)
    : QDialog(parent)
    , m_log(log)
    , m_prompts(prompts)
    , m_chooser(&chooseFile)
    , m_lines(new TrafficLines(log, this))
    , m_view(new QListView(this))
    , m_counts(new QLabel(this))
    , m_pause(new QPushButton(QStringLiteral("Pausa"), this))
{
    setObjectName(QStringLiteral("TrafficWindow"));
    setWindowTitle(Title);
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    resize(760, 480);

    m_view->setObjectName(QStringLiteral("TrafficView"));
    m_view->setModel(m_lines);
    m_view->setUniformItemSizes(true);
    m_view->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_counts->setObjectName(QStringLiteral("TrafficCounts"));
    m_pause->setObjectName(QStringLiteral("TrafficPause"));
    m_pause->setCheckable(true);
    auto *clear = new QPushButton(QStringLiteral("Pulisci"), this);
    clear->setObjectName(QStringLiteral("TrafficClear"));
    auto *save = new QPushButton(QStringLiteral("Salva..."), this);
    save->setObjectName(QStringLiteral("TrafficSave"));
    for (QPushButton *button : {m_pause, clear, save})
        button->setAutoDefault(false);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_counts, 1);
    buttons->addWidget(m_pause);
    buttons->addWidget(clear);
    buttons->addWidget(save);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_view, 1);
    layout->addLayout(buttons);

    m_refresh.setSingleShot(true);
    m_refresh.setInterval(RefreshInterval);
    connect(&m_refresh, &QTimer::timeout, this, &TrafficWindow::update);
    connect(&m_log, &TrafficLog::recordedChanged, this, &TrafficWindow::scheduleUpdate);
    connect(&m_log, &TrafficLog::cleared, this, &TrafficWindow::update);
    connect(m_pause, &QPushButton::toggled, this, [this](bool paused) {
        m_lines->freeze(paused);
        update();
    });
    connect(clear, &QPushButton::clicked, &m_log, &TrafficLog::clear);
    connect(save, &QPushButton::clicked, this, &TrafficWindow::save);
    update();
}

TrafficWindow::~TrafficWindow() = default;

QString TrafficWindow::viewText() const
{
    QStringList shown;
    for (int row = 0; row < m_lines->rowCount({}); ++row)
        shown.append(m_lines->data(m_lines->index(row), Qt::DisplayRole).toString());
    return shown.join(u'\n');
}

void TrafficWindow::scheduleUpdate()
{
    if (!m_refresh.isActive())
        m_refresh.start();
}

// Steps the view on to the log; the view keeps to the newest line unless the user scrolled up.
void TrafficWindow::update()
{
    const bool atEnd
        = m_view->verticalScrollBar()->value() == m_view->verticalScrollBar()->maximum();
    m_lines->follow();
    if (atEnd && !m_pause->isChecked())
        m_view->scrollToBottom();
    showCounts();
}

void TrafficWindow::showCounts()
{
    const QString dropped = m_log.dropped() == 0
        ? QString()
        : QStringLiteral(", %1 più vecchie scartate").arg(m_log.dropped());
    m_counts->setText(QStringLiteral("%1 righe%2").arg(m_log.size()).arg(dropped));
}

void TrafficWindow::save()
{
    const QString path = m_chooser(this);
    if (path.isEmpty())
        return;
    QByteArray text = m_log.lines().join(u'\n').toUtf8();
    text.append('\n');
    if (const std::optional<SafeWriteFailure> failure = writeFileSafely(path, text)) {
        m_prompts.showMessage(QStringLiteral("Il traffico non è stato salvato: impossibile %1 il "
                                             "file %2 (%3). Un eventuale file precedente resta "
                                             "invariato.")
                                  .arg(failedStageVerb(failure->stage),
                                       QDir::toNativeSeparators(path), failure->reason),
                              Title, Prompts::Icon::Critical);
        return;
    }
    m_prompts.showMessage(QStringLiteral("Traffico salvato su file ")
                              + QDir::toNativeSeparators(path),
                          Title, Prompts::Icon::None);
}

} // namespace testloop
