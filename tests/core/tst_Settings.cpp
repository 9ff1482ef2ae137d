#include "core/Settings.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <variant>

using namespace corvanta;

using AnySetting = std::variant<const Setting<QString> *, const Setting<bool> *>;
Q_DECLARE_METATYPE(AnySetting)

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

    // Each setting's path and default, as the stores of earlier versions have them.
    void declarations_data()
    {
        QTest::addColumn<AnySetting>("setting");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QVariant>("defaultValue");
        QTest::newRow("Username") << AnySetting(&Settings::Username) << "Userinfo/Username"
                                  << QVariant(QString());
        QTest::newRow("LastlogUsername")
            << AnySetting(&Settings::LastlogUsername) << "Userinfo/LastlogUsername" << QVariant(QString());
        QTest::newRow("ClassroomKeys")
            << AnySetting(&Settings::ClassroomKeys) << "Classroom/Keys" << QVariant(true);
        QTest::newRow("ReadNames") << AnySetting(&Settings::ReadNames) << "Classroom/ReadNames"
                                   << QVariant(false);
        QTest::newRow("KeyDraw") << AnySetting(&Settings::KeyDraw) << "Classroom/KeyDraw"
                                 << QVariant(QStringLiteral("last"));
        QTest::newRow("ShowWhyChosen")
            << AnySetting(&Settings::ShowWhyChosen) << "Classroom/ShowWhy" << QVariant(true);
    }
    void declarations()
    {
        QFETCH(AnySetting, setting);
        QFETCH(QString, path);
        QFETCH(QVariant, defaultValue);
        const auto [declaredPath, declaredDefault, fresh] = std::visit(
            [](const auto *s) {
                return std::tuple(QString::fromLatin1(s->path), QVariant(s->defaultValue),
                                  QVariant(Settings().value(*s)));
            },
            setting);
        QCOMPARE(declaredPath, path);
        QCOMPARE(declaredDefault, defaultValue);
        QCOMPARE(fresh, defaultValue);
    }

    // A store as earlier versions wrote it, every setting away from its default: read as it
    // is, and the same values written now give the same bytes.
    void storeOfEarlierVersions()
    {
        const QByteArray earlier("[Classroom]\nKeyDraw=fair\nKeys=false\nReadNames=true\nShowWhy=false\n\n"
                                 "[Userinfo]\nLastlogUsername=张老师\nUsername=\"|张老师|a,b;c=d\"\n");
        QVERIFY(QDir().mkpath(QFileInfo(storeFile()).path()));
        {
            QFile file(storeFile());
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(earlier);
        }
        {
            const Settings read;
            QCOMPARE(read.value(Settings::Username), QStringLiteral("|张老师|a,b;c=d"));
            QCOMPARE(read.value(Settings::LastlogUsername), QStringLiteral("张老师"));
            QCOMPARE(read.value(Settings::ClassroomKeys), false);
            QCOMPARE(read.value(Settings::ReadNames), true);
            QCOMPARE(read.value(Settings::KeyDraw), QStringLiteral("fair"));
            QCOMPARE(read.value(Settings::ShowWhyChosen), false);
        }
        QVERIFY(QFile::remove(storeFile()));
        {
            Settings written;
            written.setValue(Settings::Username, QStringLiteral("|张老师|a,b;c=d"));
            written.setValue(Settings::LastlogUsername, QStringLiteral("张老师"));
            written.setValue(Settings::ClassroomKeys, false);
            written.setValue(Settings::ReadNames, true);
            written.setValue(Settings::KeyDraw, QStringLiteral("fair"));
            written.setValue(Settings::ShowWhyChosen, false);
            QVERIFY(written.sync());
        }
        QFile file(storeFile());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), earlier);
    }

    // Told once per change of a value, not for writing the value it has; watch() gives the
    // new value.
    void changesAreTold()
    {
        Settings settings;
        QSignalSpy changed(&settings, &Settings::changed);
        QList<bool> watched;
        QObject receiver;
        settings.watch(Settings::ReadNames, &receiver, [&](bool on) { watched.append(on); });
        settings.setValue(Settings::ReadNames, false); // the default
        settings.setValue(Settings::ReadNames, true);
        settings.setValue(Settings::ReadNames, true);
        settings.setValue(Settings::KeyDraw, QStringLiteral("fair"));
        settings.setValue(Settings::ReadNames, false);
        QStringList paths;
        for (const QList<QVariant> &signal : std::as_const(changed))
            paths.append(signal.at(0).toString());
        QCOMPARE(paths, QStringList({"Classroom/ReadNames", "Classroom/KeyDraw", "Classroom/ReadNames"}));
        QCOMPARE(watched, QList<bool>({true, false}));
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
            settings.setValue(Settings::Username, username);
            settings.setValue(Settings::LastlogUsername, last);
            QVERIFY(settings.sync());
        }
        QVERIFY(QFile::exists(storeFile()));
        QCOMPARE(Settings().value(Settings::Username), username);
        QCOMPARE(Settings().value(Settings::LastlogUsername), last);
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
        QCOMPARE(Settings().value(Settings::ClassroomKeys), keys);
        QCOMPARE(Settings().value(Settings::ReadNames), readNames);
        {
            Settings settings;
            settings.setValue(Settings::ReadNames, !readNames);
            QVERIFY(settings.sync());
        }
        QCOMPARE(Settings().value(Settings::ReadNames), !readNames);
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
        QCOMPARE(settings.value(Settings::Username), QString());
        QCOMPARE(settings.value(Settings::LastlogUsername), QString());

        // The next login is remembered again, unless nothing can be written there.
        settings.setValue(Settings::Username, QStringLiteral("|N"));
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
