#pragma once

#include "support/ServerProcess.h"
#include "support/WindowRig.h"

#include "console/Dialog.h"
#include "net/RecordFile.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <memory>

namespace corvanta::test {

// The console window against the real score server: a fresh teacher with two classes,
// students, a topic and its scales, logged in online with the record file fetched, and
// launcher folders in a temporary folder.
class ConsoleRig : public WindowRig
{
protected:
    inline static const QString kLogin = QStringLiteral("login-pw");
    inline static const QString kOperation = QStringLiteral("oper-pw");
    using Page = ConsolePageId;

    ServerProcess m_server;
    QString m_account;
    int m_teachers = 0;
    std::unique_ptr<Dialog> m_dialog;
    std::unique_ptr<QSignalSpy> m_listsChanged;
    std::unique_ptr<QSignalSpy> m_standardsChanged;

    void startServer() { QVERIFY2(m_server.start(), qPrintable(m_server.errorText())); }

    console::ShortcutFolders shortcutFolders() const
    {
        return {m_dir->filePath(QStringLiteral("Desktop")), m_dir->filePath(QStringLiteral("applications"))};
    }

    // A new teacher with C1 (张三, 李四), C2 (王五) and the topic 课堂提问 with two scales.
    void makeTeacher()
    {
        m_account = QStringLiteral("teacher%1").arg(++m_teachers);
        QVERIFY(m_server.registerTeacher(m_account, kLogin, kOperation, QStringLiteral("王老师"),
                                         QStringLiteral("wang@example.org")));
        QVERIFY(m_server.setClasses(m_account, kOperation, {"C1", "C2"}));
        QVERIFY(m_server.setStudents(m_account, kOperation, "C1",
                                     {QStringLiteral("张三"), QStringLiteral("李四")}));
        QVERIFY(m_server.setStudents(m_account, kOperation, "C2", {QStringLiteral("王五")}));
        QVERIFY(m_server.setTopics(m_account, kOperation, {QStringLiteral("课堂提问")}));
        QVERIFY(m_server.addScales(m_account, kOperation, QStringLiteral("课堂提问"),
                                   {{QStringLiteral("回答正确"), 5}, {QStringLiteral("回答错误"), 1}}));
    }

    // The console as after an online login, shown, with the operation password typed.
    void openConsole(const QString &password = kOperation)
    {
        resetRig(m_server.baseUrl());
        makeTeacher();
        m_login.LoginUser = m_account;
        m_login.LoginDigest = Md5Hex(kLogin);
        QVERIFY(m_session.refreshRecords(*m_link).ok());
        m_session.setOperationPassword(password);
        m_dialog = std::make_unique<Dialog>(context(), shortcutFolders());
        m_listsChanged = std::make_unique<QSignalSpy>(m_dialog.get(), &Dialog::classListsChanged);
        m_standardsChanged = std::make_unique<QSignalSpy>(m_dialog.get(), &Dialog::standardsChanged);
        m_dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_dialog.get()));
    }
    void closeConsole()
    {
        m_listsChanged.reset();
        m_standardsChanged.reset();
        m_dialog.reset();
        dropRig();
    }

    template <typename T> T *find(const QString &name) const { return child<T>(m_dialog.get(), name); }
    QPushButton *button(const QString &name) const { return find<QPushButton>(name); }
    QLabel *label(const QString &name) const { return find<QLabel>(name); }
    QListWidget *list(const QString &name) const { return find<QListWidget>(name); }
    QLineEdit *edit(const QString &name) const { return find<QLineEdit>(name); }
    QPlainTextEdit *text(const QString &name) const { return find<QPlainTextEdit>(name); }
    QComboBox *combo(const QString &name) const { return find<QComboBox>(name); }

    void click(const QString &name) { QTest::mouseClick(button(name), Qt::LeftButton); }
    void showPage(Page page) { click(buttonObjectName(page)); }
    // Chooses an entry of a class or topic box as a click in its drop-down list does.
    void choose(const QString &comboName, const QString &entry)
    {
        QComboBox *box = combo(comboName);
        const int index = box->findText(entry);
        QVERIFY2(index >= 0, qPrintable(entry));
        box->setCurrentIndex(index);
        emit box->activated(index);
    }
    void selectRows(const QString &listName, const QList<int> &rows)
    {
        QListWidget *box = list(listName);
        box->clearSelection();
        for (int row : rows)
            box->item(row)->setSelected(true);
    }
    void doubleClick(const QString &listName, int row)
    {
        QListWidget *box = list(listName);
        emit box->itemDoubleClicked(box->item(row));
    }
    static QStringList itemsOf(const QListWidget *box)
    {
        QStringList out;
        for (int i = 0; box && i < box->count(); ++i)
            out.append(box->item(i)->text());
        return out;
    }

    // The last message shown, as "title|text|icon".
    QString lastMessage() const
    {
        const auto *shown = m_prompter.last();
        return shown ? shown->title + u'|' + shown->text + u'|' + QString::number(int(shown->icon))
                     : QString();
    }

    // What the server holds now, through its record file.
    RecordFile serverRecords()
    {
        const QString path = m_dir->filePath(QStringLiteral("server-view.cvd"));
        const auto reply =
            m_server.get(QStringLiteral("/score/record.php"), {{"t", m_account}, {"mp", Md5Hex(kLogin)}});
        QFile file(path);
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            file.write(reply.body);
        file.close();
        return RecordFile(path);
    }
    QStringList serverStudents(const QString &className)
    {
        QStringList names;
        for (const StudentRecord &s : serverRecords().students(className))
            names.append(s.name);
        return names;
    }
    QStringList serverLines(const QString &path, const ServerProcess::Fields &query)
    {
        QStringList lines = m_server.get(path, query).text().split(QStringLiteral("\r\n"));
        lines.removeAll(QString());
        return lines;
    }
    QStringList serverScales(const QString &topic)
    {
        return serverLines(QStringLiteral("/score/getscale.php"),
                           {{"keti", topic}, {"t", m_account}, {"mp", Md5Hex(kLogin)}});
    }
    QStringList serverScores(const QString &className)
    {
        return serverLines(QStringLiteral("/score/getscore.php"),
                           {{"class", className}, {"t", m_account}, {"mp", Md5Hex(kLogin)}});
    }
};

} // namespace corvanta::test
