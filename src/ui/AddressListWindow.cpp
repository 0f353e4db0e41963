#include "ui/AddressListWindow.h"

#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>

namespace testloop {

AddressListWindow::AddressListWindow(const QString &title, const QStringList &columns,
                                     Source source, QWidget *parent)
    : QDialog(parent)
    , m_source(std::move(source))
    , m_note(new QLabel(this))
    , m_table(new QTableWidget(this))
{
    setWindowTitle(title);
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    resize(560, 520);
    m_note->setObjectName(QStringLiteral("ListNote"));
    m_note->setWordWrap(true);
    m_table->setObjectName(QStringLiteral("AddressList"));
    m_table->setColumnCount(int(columns.size()) + 1);
    m_table->setHorizontalHeaderLabels(QStringList {QStringLiteral("Indirizzo")} + columns);
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->verticalHeader()->hide();
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_note);
    layout->addWidget(m_table, 1);
    connect(m_table, &QTableWidget::cellClicked, this, [this](int row, int) {
        if (const QTableWidgetItem *item = m_table->item(row, 0))
            emit addressChosen(item->data(Qt::UserRole).toInt());
    });
    refresh();
}

QString AddressListWindow::note() const
{
    return m_note->text();
}

void AddressListWindow::refresh()
{
    const Contents contents = m_source();
    m_note->setText(contents.note);
    m_note->setVisible(!contents.note.isEmpty());
    m_table->setRowCount(int(contents.rows.size()));
    for (int row = 0; row < int(contents.rows.size()); ++row) {
        const Row &line = contents.rows[row];
        QStringList cells = QStringList {QString::number(line.address)} + line.cells;
        for (int column = 0; column < int(cells.size()); ++column) {
            auto *item = new QTableWidgetItem(cells[column]);
            QFont font = item->font();
            font.setBold(line.marked);
            item->setFont(font);
            if (column == 0)
                item->setData(Qt::UserRole, line.address);
            m_table->setItem(row, column, item);
        }
    }
}

} // namespace testloop
