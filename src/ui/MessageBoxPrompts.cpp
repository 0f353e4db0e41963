#include "ui/MessageBoxPrompts.h"

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>

namespace testloop {

namespace {

QMessageBox::Icon boxIcon(Prompts::Icon icon)
{
    switch (icon) {
    case Prompts::Icon::Information:
        return QMessageBox::Information;
    case Prompts::Icon::Warning:
        return QMessageBox::Warning;
    case Prompts::Icon::Critical:
        return QMessageBox::Critical;
    case Prompts::Icon::Question:
        return QMessageBox::Question;
    case Prompts::Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

// A message box without a title of its own carries the application's name.
QString boxTitle(const QString &title)
{
    return title.isEmpty() ? QApplication::applicationName() : title;
}

} // namespace

bool MessageBoxPrompts::askYesNo(const QString &text, const QString &title)
{
    QMessageBox box(QMessageBox::NoIcon, boxTitle(title), text, QMessageBox::Yes | QMessageBox::No,
                    m_parent);
    return box.exec() == QMessageBox::Yes;
}

void MessageBoxPrompts::showMessage(const QString &text, const QString &title, Icon icon)
{
    // A carriage return alone starts a new line of a message, as the panel's texts expect.
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
    QMessageBox box(boxIcon(icon), boxTitle(title), shown, QMessageBox::Ok, m_parent);
    box.exec();
}

void MessageBoxPrompts::beep()
{
    QApplication::beep();
}

std::optional<QString> MessageBoxPrompts::askText(const QString &text, const QString &title)
{
    bool accepted = false;
    const QString typed = QInputDialog::getText(m_parent, boxTitle(title), text, QLineEdit::Normal,
                                                QString(), &accepted);
    if (!accepted)
        return std::nullopt;
    return typed;
}

} // namespace testloop
