#pragma once

#include "scan/Prompts.h"

class QWidget;

namespace testloop {

// Prompts shown to the user as message boxes and input boxes over a parent window.
class MessageBoxPrompts : public Prompts
{
public:
    explicit MessageBoxPrompts(QWidget *parent = nullptr)
        : m_parent(parent)
    { }

    void setParent(QWidget *parent) { m_parent = parent; }

    bool askYesNo(const QString &text, const QString &title) override;
    void showMessage(const QString &text, const QString &title, Icon icon) override;
    void beep() override;
    std::optional<QString> askText(const QString &text, const QString &title) override;

private:
    QWidget *m_parent;
};

} // namespace testloop
