#pragma once

#include <QDialog>
#include <QList>
#include <QStringList>

#include <functional>

class QLabel;
class QTableWidget;

namespace testloop {

// A list of addresses with what is to be said of each, in a modeless window: the comparison
// with an earlier visit and the expected-against-found list. A click on a row chooses its
// address, which the main window selects on the grid. The rows come from a function asked
// again at every refresh.
class AddressListWindow : public QDialog
{
    Q_OBJECT
public:
    struct Row
    {
        int address = 0;
        QStringList cells; // one per column after the address
        bool marked = false; // shown in bold
    };
    struct Contents
    {
        QString note; // above the list; empty hides it
        QList<Row> rows;
    };
    using Source = std::function<Contents()>;

    AddressListWindow(const QString &title, const QStringList &columns, Source source,
                      QWidget *parent = nullptr);

    QTableWidget *table() const { return m_table; }
    QString note() const;

public slots:
    void refresh();

signals:
    void addressChosen(int address);

private:
    Source m_source;
    QLabel *m_note;
    QTableWidget *m_table;
};

} // namespace testloop
