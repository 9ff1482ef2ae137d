#pragma once

// The real main window on a fresh context, for tests that drive it offscreen.
#include "app/Form1.h"
#include "core/TextCodec.h"
#include "support/WindowRig.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include <memory>

namespace corvanta::test {

class Form1Rig : protected WindowRig
{
protected:
    std::unique_ptr<Form1> m_form;

    void openForm(const QString &serverBase = QStringLiteral("http://127.0.0.1:9"))
    {
        resetRig(serverBase, QStringLiteral("http://vendor.invalid"));
        m_form = std::make_unique<Form1>(context());
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    }
    void closeForm()
    {
        m_form.reset();
        dropRig();
    }

    template <typename T> T *child(const QString &name) const
    {
        return WindowRig::child<T>(m_form.get(), name);
    }
    static QStringList linesOf(const QListWidget *list)
    {
        QStringList lines;
        for (int i = 0; i < list->count(); ++i)
            lines.append(list->item(i)->text());
        return lines;
    }

    QLineEdit *nameDisplay() const { return child<QLineEdit>(QStringLiteral("Text2")); }
    QPushButton *button(int i) const { return child<QPushButton>(QStringLiteral("btnChou_%1").arg(i)); }

    // The class record file from UTF-8 text, then the offline login's loading.
    void loadOffline(const char *rosterUtf8)
    {
        writeRecordFile(toGbk(QString::fromUtf8(rosterUtf8)));
        m_login.LoginUser = LoginState::offlineUser();
        m_form->LoadClassLists(QStringLiteral("offline"));
    }

    void chooseClass(const QString &name)
    {
        auto *combo = child<QComboBox>(QStringLiteral("Combo2"));
        const int index = combo->findText(name);
        QVERIFY(index >= 0);
        combo->setCurrentIndex(index);
        emit combo->activated(index);
    }

    // Starts and stops a draw on the pool; the name it chose.
    QString drawOnce(int pool)
    {
        QTest::mouseClick(button(pool), Qt::LeftButton);
        QTest::mouseClick(button(pool), Qt::LeftButton);
        return nameDisplay()->text();
    }

    // Scores the student in the name display with the first item of the score combo.
    void scoreWithCombo()
    {
        auto *combo1 = child<QComboBox>(QStringLiteral("Combo1"));
        combo1->setCurrentIndex(0);
        emit combo1->activated(0);
    }
};

} // namespace corvanta::test
