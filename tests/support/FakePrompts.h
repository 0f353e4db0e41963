#pragma once

#include "scan/Prompts.h"

#include <QList>
#include <QString>

#include <functional>

// Records every message and question; answers questions from a script (Yes when it runs out).
class FakePrompts : public testloop::Prompts
{
public:
    struct Message
    {
        QString text, title;
        Icon icon;
    };

    bool askYesNo(const QString &text, const QString &title) override
    {
        questions.append(title + u'|' + text);
        return answers.isEmpty() ? true : answers.takeFirst();
    }
    void showMessage(const QString &text, const QString &title, Icon icon) override
    {
        messages.append({text, title, icon});
        if (whileMessageOpen)
            whileMessageOpen();
    }
    void beep() override { ++beeps; }
    std::optional<QString> askText(const QString &text, const QString &) override
    {
        questions.append(text);
        return typed.isEmpty() ? std::nullopt : std::optional(typed.takeFirst());
    }

    QList<Message> messages;
    QStringList questions;
    QList<bool> answers;
    QStringList typed;
    int beeps = 0;
    // Runs while a message is "open", to let a test deliver events meanwhile.
    std::function<void()> whileMessageOpen;
};
