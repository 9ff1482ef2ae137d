#pragma once

#include "widgets/Prompter.h"

#include <QList>
#include <QStringList>
#include <QUrl>

namespace corvanta::test {

// Records every prompt and answers from a script; never blocks.
class FakePrompter final : public Prompter
{
public:
    struct Shown
    {
        QString kind; // "message", "question", "save", "open"
        QString title;
        QString text;
        PromptIcon icon = PromptIcon::None;
    };

    QList<Shown> shown;
    QList<QUrl> openedUrls;
    QList<bool> questionAnswers; // taken front first; No when empty
    QStringList fileNames;       // taken front first; cancel ("") when empty

    void showMessage(QWidget *, const QString &title, const QString &text, PromptIcon icon) override
    {
        shown.append({QStringLiteral("message"), title, text, icon});
    }
    bool askQuestion(QWidget *, const QString &title, const QString &text, PromptIcon icon) override
    {
        shown.append({QStringLiteral("question"), title, text, icon});
        return questionAnswers.isEmpty() ? false : questionAnswers.takeFirst();
    }
    QString saveFileName(QWidget *, const QString &title, const QString &filter) override
    {
        shown.append({QStringLiteral("save"), title, filter, PromptIcon::None});
        return fileNames.isEmpty() ? QString() : fileNames.takeFirst();
    }
    QString openFileName(QWidget *, const QString &title, const QString &filter) override
    {
        shown.append({QStringLiteral("open"), title, filter, PromptIcon::None});
        return fileNames.isEmpty() ? QString() : fileNames.takeFirst();
    }
    void openUrl(const QUrl &url) override { openedUrls.append(url); }

    const Shown *last() const { return shown.isEmpty() ? nullptr : &shown.last(); }
    void clear() { shown.clear(); openedUrls.clear(); }
};

} // namespace corvanta::test
