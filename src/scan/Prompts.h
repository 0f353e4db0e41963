#pragma once

#include <QString>

#include <optional>

namespace testloop {

// How the core asks and informs the user. The main window answers with message boxes; tests
// answer with scripted fakes that record what was shown.
class Prompts
{
public:
    enum class Icon { None, Information, Warning, Critical, Question };

    virtual ~Prompts() = default;

    // A question with Yes and No buttons; true on Yes.
    virtual bool askYesNo(const QString &text, const QString &title) = 0;
    // A message with a single OK button; returns when the user has closed it.
    virtual void showMessage(const QString &text, const QString &title, Icon icon) = 0;
    virtual void beep() = 0;
    // A line of text typed by the user; nothing when the input was cancelled.
    virtual std::optional<QString> askText(const QString &text, const QString &title) = 0;
};

} // namespace testloop
