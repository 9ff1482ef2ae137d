// The words read for a student, and that espeak-ng's Mandarin voice (what speech-dispatcher
// reads them with) makes sound of them.
#include "widgets/Speaker.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace corvanta;

class TestSpeaker : public QObject
{
    Q_OBJECT

    // "RMS     amplitude:     0.082435" from sox's statistics; -1 when there is none.
    static double rmsAmplitude(const QString &wav)
    {
        QProcess sox;
        sox.start(QStringLiteral("sox"), {wav, QStringLiteral("-n"), QStringLiteral("stat")});
        if (!sox.waitForFinished(30000))
            return -1;
        const QString stats = QString::fromLocal8Bit(sox.readAllStandardError());
        const auto match = QRegularExpression(QStringLiteral("RMS\\s+amplitude:\\s+([0-9.]+)")).match(stats);
        return match.hasMatch() ? match.captured(1).toDouble() : -1;
    }

private slots:
    void words_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("words");
        QTest::newRow("a name") << "张三"
                                << "张三";
        QTest::newRow("blanks around it") << " 欧阳 \t"
                                          << "欧阳";
        QTest::newRow("latin") << "Tom"
                               << "Tom";
    }
    void words()
    {
        QFETCH(QString, name);
        QFETCH(QString, words);
        QCOMPARE(wordsForStudent(name), words);
    }

    void mandarinVoiceSoundsAName_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("sound");
        QTest::newRow("name") << "张三丰" << true;
        QTest::newRow("nothing to say") << "   " << false;
    }
    void mandarinVoiceSoundsAName()
    {
        QFETCH(QString, name);
        QFETCH(bool, sound);
        if (QStandardPaths::findExecutable(QStringLiteral("espeak-ng")).isEmpty())
            QSKIP("espeak-ng is not installed (scripts/deps.sh installs it): no name rendered to sound");
        if (QStandardPaths::findExecutable(QStringLiteral("sox")).isEmpty())
            QSKIP("sox is not installed (scripts/deps.sh installs it): the sound cannot be measured");
        QTemporaryDir dir;
        const QString wav = dir.filePath(QStringLiteral("name.wav"));
        const int exit = QProcess::execute(
            QStringLiteral("espeak-ng"),
            {QStringLiteral("-v"), QStringLiteral("cmn"), QStringLiteral("-w"), wav, wordsForStudent(name)});
        QCOMPARE(exit, 0);
        const double rms = rmsAmplitude(wav);
        QVERIFY2(rms >= 0, "sox gave no RMS amplitude");
        QCOMPARE(rms > 0.001, sound);
    }
};

QTEST_GUILESS_MAIN(TestSpeaker)
#include "tst_Speaker.moc"
