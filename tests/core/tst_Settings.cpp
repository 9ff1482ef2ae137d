#include "core/Settings.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace corvanta;
using Key = Settings::Key;

Q_DECLARE_METATYPE(Settings::Key)

class TestSettings : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_folder;

    // Where earlier versions keep the store: the names must not drift.
    QString storeFile() const { return m_folder->filePath("Corvanta/Corvanix.conf"); }

private slots:
    // A fresh store for every row: QSettings keeps what it read and wrote per file.
    void init()
    {
        m_folder = std::make_unique<QTemporaryDir>();
        QVERIFY(m_folder->isValid());
        Settings::redirectForTests(m_folder->path());
    }

    void keyTable_data()
    {
        QTest::addColumn<Key>("key");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QVariant>("defaultValue");
        QTest::newRow("Username") << Key::Username << "Userinfo/Username" << QVariant(QString());
        QTest::newRow("LastlogUsername")
            << Key::LastlogUsername << "Userinfo/LastlogUsername" << QVariant(QString());
        QTest::newRow("ClassroomKeys") << Key::ClassroomKeys << "Classroom/Keys" << QVariant(true);
        QTest::newRow("ReadNames") << Key::ReadNames << "Classroom/ReadNames" << QVariant(false);
        QTest::newRow("KeyDraw") << Key::KeyDraw << "Classroom/KeyDraw" << QVariant(QStringLiteral("last"));

        QTest::newRow("ShowWhyChosen") << Key::ShowWhyChosen << "Classroom/ShowWhy" << QVariant(true);
        QCOMPARE(Settings::KeyCount, 6); // a new key needs a row here
    }
    void keyTable()
    {
        QFETCH(Key, key);
        QFETCH(QString, path);
        QFETCH(QVariant, defaultValue);
        QCOMPARE(Settings::path(key), path);
        QCOMPARE(Settings::defaultValue(key), defaultValue);
        QCOMPARE(Settings().value(key), defaultValue);
    }

    void roundTrip_data()
    {
        QTest::addColumn<QString>("username");
        QTest::addColumn<QString>("last");
        QTest::newRow("two names") << "|A|B"
                                   << "B";
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("chinese") << "|张老师|李老师"
                                 << "张老师";
        QTest::newRow("ini specials") << "|a,b|c;d|=e|#f|\"g\""
                                      << "a,b";
        QTest::newRow("spaces kept") << "| x | y"
                                     << " x ";
        QTest::newRow("long") << "|" + QString(5000, u'名') << QString(5000, u'名');
    }
    void roundTrip()
    {
        QFETCH(QString, username);
        QFETCH(QString, last);
        {
            Settings settings;
            settings.setValue(Key::Username, username);
            settings.setValue(Key::LastlogUsername, last);
            QVERIFY(settings.sync());
        }
        QVERIFY(QFile::exists(storeFile()));
        QCOMPARE(Settings().text(Key::Username), username);
        QCOMPARE(Settings().text(Key::LastlogUsername), last);
        const QSettings raw(QStringLiteral("Corvanta"), QStringLiteral("Corvanix"));
        QCOMPARE(raw.value("Userinfo/Username").toString(), username);
        QCOMPARE(raw.value("Userinfo/LastlogUsername").toString(), last);
    }

    // The switches as the store file holds them after a write, or as a person edited them.
    void flags_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("keys");
        QTest::addColumn<bool>("readNames");
        QTest::newRow("none stored: keys on, reading off") << QByteArray() << true << false;
        QTest::newRow("as written") << QByteArray("[Classroom]\nKeys=false\nReadNames=true\n") << false
                                    << true;
        QTest::newRow("digits") << QByteArray("[Classroom]\nKeys=0\nReadNames=1\n") << false << true;
        QTest::newRow("nonsense gives the defaults")
            << QByteArray("[Classroom]\nKeys=maybe\nReadNames=@Variant(\\0)\n") << true << false;
    }
    void flags()
    {
        QFETCH(QByteArray, content);
        QFETCH(bool, keys);
        QFETCH(bool, readNames);
        if (!content.isEmpty()) {
            QVERIFY(QDir().mkpath(QFileInfo(storeFile()).path()));
            QFile file(storeFile());
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(content);
        }
        QCOMPARE(Settings().flag(Key::ClassroomKeys), keys);
        QCOMPARE(Settings().flag(Key::ReadNames), readNames);
        {
            Settings settings;
            settings.setValue(Key::ReadNames, !readNames);
            QVERIFY(settings.sync());
        }
        QCOMPARE(Settings().flag(Key::ReadNames), !readNames);
    }

    void unreadableStoreCountsAsEmpty_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("directory");
        const QByteArray valid("[Userinfo]\nUsername=|A\nLastlogUsername=A\n");
        QTest::newRow("a folder in its place") << QByteArray() << true;
        QTest::newRow("binary") << QByteArray("\x00\xff\xfe[Userinfo\x00\n=\x01\x02", 14) << false;
        QTest::newRow("values are lists")
            << QByteArray("[Userinfo]\nUsername=|A, |B\nLastlogUsername=A, B\n") << false;
        QTest::newRow("values are numbers typed")
            << QByteArray("[Userinfo]\nUsername=@Variant(\\0\\0\\0\\x2)\n"
                          "LastlogUsername=@ByteArray(x)\n")
            << false;
    }
    void unreadableStoreCountsAsEmpty()
    {
        QFETCH(QByteArray, content);
        QFETCH(bool, directory);
        QVERIFY(QDir().mkpath(QFileInfo(storeFile()).path()));
        if (directory) {
            QVERIFY(QDir().mkpath(storeFile()));
        } else {
            QFile file(storeFile());
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(content);
        }
        Settings settings;
        QCOMPARE(settings.text(Key::Username), QString());
        QCOMPARE(settings.text(Key::LastlogUsername), QString());

        // The next login is remembered again, unless nothing can be written there.
        settings.setValue(Key::Username, QStringLiteral("|N"));
        QCOMPARE(settings.sync(), !directory);
        if (!directory) {
            QFile file(storeFile());
            QVERIFY(file.open(QIODevice::ReadOnly));
            QVERIFY(file.readAll().contains("Username=|N\n"));
        }
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_Settings.moc"
