// One animation step of the draw on a large class record file: the name lookup in the
// file and the name display update (font fit, score and count labels), without painting.
#include "app/Form1.h"
#include "core/Settings.h"
#include "core/TextCodec.h"
#include "net/LoginState.h"
#include "net/RecordFile.h"
#include "net/ServerLink.h"
#include "net/Session.h"
#include "scoring/PendingScores.h"
#include "support/FakePrompter.h"
#include "support/FakeSpeaker.h"
#include "support/TestClock.h"

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

using namespace corvanta;

namespace {

// About 1 MB: 40 classes of 625 students (25,000 records), two topics.
QByteArray largeRecordFile(QStringList *names)
{
    static const char16_t *family[] = {u"王", u"李", u"张", u"刘", u"陈", u"杨", u"黄", u"赵"};
    static const char16_t *given[] = {u"伟", u"芳", u"娜", u"敏", u"静", u"丽", u"强", u"磊", u"洋", u"艳"};
    QString text = QStringLiteral("Class_Is_Ready\t");
    for (int c = 0; c < 40; ++c)
        text += QStringLiteral("2026级高一年级(%1)班\t").arg(c + 1);
    text += QStringLiteral("\r\n[keti]\t朗读\t流利\t5\t\r\n[keti]\t默写\t\r\n");
    for (int c = 0; c < 40; ++c) {
        for (int s = 0; s < 625; ++s) {
            const QString name = QString::fromUtf16(family[s % 8]) + QString::fromUtf16(given[(s / 8) % 10]) +
                                 QString::number(s);
            if (c == 39)
                names->append(name);
            text += QStringLiteral("2026级高一年级(%1)班\t%2\t%3\t0\t%4.25\t%5\r\n")
                        .arg(c + 1)
                        .arg(name)
                        .arg(s % 6)
                        .arg(s % 5)
                        .arg(s % 7);
        }
    }
    return toGbk(text);
}

} // namespace

class BenchDrawStep : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    QStringList m_names;
    QString m_path;

private slots:
    void initTestCase()
    {
        m_path = m_dir.filePath(QStringLiteral("ServerRec.cvd"));
        QFile f(m_path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        const QByteArray bytes = largeRecordFile(&m_names);
        f.write(bytes);
        qInfo("class record file: %lld bytes, %d students", qint64(bytes.size()), 40 * 625);
    }

    void lookupOnly()
    {
        RecordFile file(m_path);
        const QString cls = QStringLiteral("2026级高一年级(40)班");
        file.findStudent(cls, m_names.first()); // the first call reads the file
        int i = 0;
        QBENCHMARK {
            auto r = file.findStudent(cls, m_names[i++ % m_names.size()]);
            Q_UNUSED(r);
        }
    }

    void animationStep()
    {
        AppConfig config;
        config.dataDir = m_dir.path();
        config.serverBase = QStringLiteral("http://127.0.0.1:9");
        Session session(config);
        session.logInOffline();
        test::FakePrompter prompter;
        test::ReplayRandom random(3);
        test::FixedClock clock;
        ServerLink link(config);
        PendingScores pending(m_dir.filePath(QStringLiteral("Pending.cvr")));
        Settings settings;
        test::FakeSpeaker speaker;
        AppContext context{config, session.loginState(), prompter, clock, random,
                           link,   pending,              settings, speaker, session};
        Form1 form(context);
        form.LoadClassLists(QStringLiteral("offline"));
        auto *classes = form.findChild<QComboBox *>(QStringLiteral("Combo2"));
        classes->setCurrentIndex(39);
        emit classes->activated(39);
        auto *nameDisplay = form.findChild<QLineEdit *>(QStringLiteral("Text2"));
        int i = 0;
        QBENCHMARK {
            nameDisplay->setText(m_names[i++ % m_names.size()]);
        }
    }
};

QTEST_MAIN(BenchDrawStep)
#include "bench_draw_step.moc"
