#pragma once

#include "widgets/ShownText.h"

#include <QString>
#include <QUrl>

#include <memory>

class QFileDialog;
class QWidget;

namespace corvanta {

// Message-box icons by their classic values.
enum class PromptIcon { None = 0, Critical = 16, Question = 32, Warning = 48, Information = 64 };

// Every message box, yes/no question, file dialog and browser opening of the tool goes
// through here, so windows can be driven in tests without a modal box ever blocking.
class Prompter
{
public:
    virtual ~Prompter() = default;

    // The text is cut to a size a box can lay out at once (boundShownText): a message may
    // carry a server's reply, and a reply can be megabytes long.
    void message(QWidget *parent, const QString &title, const QString &text, PromptIcon icon)
    {
        showMessage(parent, title, boundShownText(text), icon);
    }
    // Yes/No question; true for Yes.
    bool question(QWidget *parent, const QString &title, const QString &text, PromptIcon icon)
    {
        return askQuestion(parent, title, boundShownText(text), icon);
    }
    // File dialogs; the filter in Qt's form ("Name (*.ext);;All Files (*)"). Empty when
    // cancelled. The save dialog itself asks nothing about overwriting.
    virtual QString saveFileName(QWidget *parent, const QString &title, const QString &filter) = 0;
    virtual QString openFileName(QWidget *parent, const QString &title, const QString &filter) = 0;
    // Opens an address in the user's web browser.
    virtual void openUrl(const QUrl &url) = 0;

protected:
    virtual void showMessage(QWidget *parent, const QString &title, const QString &text, PromptIcon icon) = 0;
    virtual bool askQuestion(QWidget *parent, const QString &title, const QString &text, PromptIcon icon) = 0;
};

// Qt's file dialog as the tool shows it: opening in `folder` (when given), in Chinese whatever
// the locale: file types ("文件夹") and dates ("2026-12-07 10:29") too.
std::unique_ptr<QFileDialog> makeFileDialog(QWidget *parent, const QString &title, const QString &filter,
                                            const QString &folder);

// The real one: QMessageBox, QFileDialog, QDesktopServices. File dialogs open in `startFolder`
// (the data folder).
class QtPrompter final : public Prompter
{
public:
    explicit QtPrompter(QString startFolder = {}) : m_startFolder(std::move(startFolder)) {}
    QString saveFileName(QWidget *parent, const QString &title, const QString &filter) override;
    QString openFileName(QWidget *parent, const QString &title, const QString &filter) override;
    void openUrl(const QUrl &url) override;

protected:
    void showMessage(QWidget *parent, const QString &title, const QString &text, PromptIcon icon) override;
    bool askQuestion(QWidget *parent, const QString &title, const QString &text, PromptIcon icon) override;

private:
    QString m_startFolder;
};

} // namespace corvanta
