#include "console/QrCode.h"
#include "console/Shortcuts.h"
#include "console/TextImport.h"
#include "core/TextCodec.h"

#include <QDir>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

using namespace corvanta;
using namespace corvanta::console;

// The console's files: the student list import, the program's launchers, the QR code.
class TestConsoleFiles : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;

    QString writeFile(const QString &name, const QByteArray &bytes)
    {
        const QString path = m_dir->filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            return {};
        file.write(bytes);
        return path;
    }
    ShortcutFolders folders() const
    {
        return {m_dir->filePath(QStringLiteral("Desktop")), m_dir->filePath(QStringLiteral("applications"))};
    }
    static QByteArray utf16(const QString &text, QStringEncoder::Encoding encoding)
    {
        QStringEncoder encoder(encoding, QStringEncoder::Flag::WriteBom);
        return encoder.encode(text);
    }

private slots:
    void init() { m_dir = std::make_unique<QTemporaryDir>(); }

    void decoding_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        const QString names = QStringLiteral("张三\n李四\n");
        QTest::newRow("GBK, CR LF") << toGbk(QStringLiteral("张三\r\n李四\r\n")) << names;
        QTest::newRow("GBK, LF only") << toGbk(QStringLiteral("张三\n李四\n")) << names;
        QTest::newRow("GBK, CR only") << toGbk(QStringLiteral("张三\r李四\r")) << names;
        QTest::newRow("UTF-8 with mark") << QByteArray("\xEF\xBB\xBF") + names.toUtf8() << names;
        QTest::newRow("UTF-8 without mark") << QStringLiteral("张三\r\n李四\r\n").toUtf8() << names;
        QTest::newRow("UTF-16 LE") << utf16(QStringLiteral("张三\r\n李四\r\n"), QStringEncoder::Utf16LE)
                                   << names;
        QTest::newRow("UTF-16 BE") << utf16(names, QStringEncoder::Utf16BE) << names;
        QTest::newRow("empty") << QByteArray() << QString();
        QTest::newRow("ASCII") << QByteArray("Tom\r\nAnn") << QStringLiteral("Tom\nAnn");
        // GBK bytes that are valid UTF-8 too: the UTF-8 reading ("֣·") is no name.
        QTest::newRow("GBK that is also UTF-8") << toGbk(QStringLiteral("郑路")) << QStringLiteral("郑路");
        QTest::newRow("GBK that is also UTF-8, lines")
            << toGbk(QStringLiteral("郑路\r\n郑路\r\n")) << QStringLiteral("郑路\n郑路\n");
        QTest::newRow("UTF-8 names with · and letters")
            << QStringLiteral("阿依·买买提\r\nTom 2\r\n").toUtf8() << QStringLiteral("阿依·买买提\nTom 2\n");
    }
    void decoding()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        const TextFileRead read = ReadTextFile(writeFile(QStringLiteral("names.txt"), bytes));
        QVERIFY(read.result.ok());
        QCOMPARE(read.text, text);
    }

    // Malformed input never crashes and gives some text; only size is refused.
    void badInput_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("truncated UTF-16") << QByteArray("\xFF\xFE\x20", 3);
        QTest::newRow("truncated GBK") << QByteArray("\xD5\xC5\xC8", 3);
        QTest::newRow("broken UTF-8 after mark") << QByteArray("\xEF\xBB\xBF\xE5\xBC", 5);
        QTest::newRow("NUL bytes") << QByteArray("a\0b\r\n", 5);
    }
    void badInput()
    {
        QFETCH(QByteArray, bytes);
        const TextFileRead read = ReadTextFile(writeFile(QStringLiteral("bad.txt"), bytes));
        QVERIFY(read.result.ok());
        QVERIFY(!read.text.contains(u'\r'));
    }

    void sizeLimit()
    {
        const QByteArray exact(kMaxImportBytes, 'a');
        QVERIFY(ReadTextFile(writeFile(QStringLiteral("exact.txt"), exact)).result.ok());
        const TextFileRead huge = ReadTextFile(writeFile(QStringLiteral("huge.txt"), exact + 'b'));
        QVERIFY(!huge.result.ok());
        QVERIFY(huge.result.error().startsWith(QStringLiteral("文件太大")));
        QVERIFY(huge.text.isEmpty());
    }

    void missingFileGivesNothing()
    {
        const TextFileRead read = ReadTextFile(m_dir->filePath(QStringLiteral("none.txt")));
        QVERIFY(read.result.ok());
        QVERIFY(read.text.isEmpty());
    }

    void launcherText_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("exec");
        QTest::newRow("plain") << "/opt/corvanta/bin/corvanta"
                               << "Exec=/opt/corvanta/bin/corvanta";
        QTest::newRow("space") << "/home/a b/corvanta"
                               << "Exec=\"/home/a b/corvanta\"";
        QTest::newRow("percent") << "/opt/100%/corvanta"
                                 << "Exec=/opt/100%%/corvanta";
        QTest::newRow("dollar quoted") << "/opt/$x/corvanta"
                                       << "Exec=\"/opt/\\\\$x/corvanta\"";
        QTest::newRow("chinese") << QStringLiteral("/opt/程序/corvanta")
                                 << QStringLiteral("Exec=/opt/程序/corvanta");
    }
    // The address the tool was started with goes into the launchers it makes.
    void launcherKeepsTheServer()
    {
        const QStringList lines =
            QString::fromUtf8(desktopEntry(QStringLiteral("/usr/bin/corvanta"),
                                           {QStringLiteral("--server"), QStringLiteral("https://score.example/a b?x")}))
                .split(u'\n');
        QVERIFY2(lines.contains(QStringLiteral("Exec=/usr/bin/corvanta --server \"https://score.example/a b?x\"")),
                 qPrintable(lines.join(u'|')));
        QVERIFY(lines.contains(QStringLiteral("Name[zh_CN]=课堂点名")));
    }
    void launcherText()
    {
        QFETCH(QString, program);
        QFETCH(QString, exec);
        const QStringList lines = QString::fromUtf8(desktopEntry(program)).split(u'\n');
        QCOMPARE(lines.value(0), QStringLiteral("[Desktop Entry]"));
        QVERIFY(lines.contains(QStringLiteral("Type=Application")));
        QVERIFY(lines.contains(QStringLiteral("Name=Corvanta")));
        QVERIFY(lines.contains(QStringLiteral("Categories=Education;")));
        QVERIFY(lines.contains(QStringLiteral("Icon=corvanta"))); // the icon the package installs
        QVERIFY2(lines.contains(exec), qPrintable(lines.join(u'|')));
    }

    void launchersOfEveryKind()
    {
        QVERIFY(QDir().mkpath(folders().desktop));
        QVERIFY(QDir().mkpath(folders().applications));
        const QString expected[3] = {m_dir->filePath("Desktop/Corvan.desktop"),
                                     m_dir->filePath("applications/Brastel/Corvan.desktop"),
                                     m_dir->filePath("applications/Corvan.desktop")};
        for (int kind = 0; kind < kShortcutKinds; ++kind) {
            QCOMPARE(shortcutPath(kind, folders()), expected[kind]);
            QVERIFY(!shortcutExists(kind, folders()));
            QVERIFY(AddProgramShortcut(kind, folders(), "/usr/bin/corvanta").ok());
            QVERIFY(shortcutExists(kind, folders()));
        }
        // Rewriting takes the program's current path.
        QVERIFY(AddProgramShortcut(MenuShortcut, folders(), "/opt/new/corvanta").ok());
        QFile menu(expected[MenuShortcut]);
        QVERIFY(menu.open(QIODevice::ReadOnly));
        QVERIFY(menu.readAll().contains("Exec=/opt/new/corvanta\n"));

        // Only this program's launcher leaves the group folder; what else is there stays.
        QVERIFY(!writeFile(QStringLiteral("applications/Brastel/other.txt"), "x").isEmpty());
        for (int kind = 0; kind < kShortcutKinds; ++kind) {
            QVERIFY(RemoveProgramShortcut(kind, folders()).ok());
            QVERIFY(!shortcutExists(kind, folders()));
        }
        QVERIFY(QFileInfo::exists(m_dir->filePath("applications/Brastel/other.txt")));
        QVERIFY(QFileInfo(folders().applications).isDir());
        // Left empty, the group folder goes too.
        QVERIFY(QFile::remove(m_dir->filePath("applications/Brastel/other.txt")));
        QVERIFY(AddProgramShortcut(GroupShortcut, folders(), "/usr/bin/corvanta").ok());
        QVERIFY(RemoveProgramShortcut(GroupShortcut, folders()).ok());
        QVERIFY(!QFileInfo::exists(m_dir->filePath("applications/Brastel")));
        // Nothing left to remove is no failure.
        QVERIFY(RemoveProgramShortcut(GroupShortcut, folders()).ok());
        QVERIFY(RemoveProgramShortcut(DesktopShortcut, folders()).ok());
    }

    void missingFoldersAreMade()
    {
        // A fresh account has no applications folder (nor, perhaps, a desktop one).
        for (int kind = 0; kind < kShortcutKinds; ++kind) {
            QVERIFY(AddProgramShortcut(kind, folders(), "/usr/bin/corvanta").ok());
            QVERIFY(shortcutExists(kind, folders()));
        }
        // A folder that cannot be made is reported.
        QVERIFY(!writeFile(QStringLiteral("blocked"), "x").isEmpty());
        const ShortcutFolders blocked{m_dir->filePath("blocked/Desktop"), m_dir->filePath("blocked/apps")};
        QVERIFY(!AddProgramShortcut(DesktopShortcut, blocked, "/usr/bin/corvanta").ok());
        QVERIFY(!AddProgramShortcut(MenuShortcut, {}, "/usr/bin/corvanta").ok());
        QVERIFY(AddProgramShortcut(7, folders(), "/usr/bin/corvanta").ok()); // no such kind: nothing
    }

    void qrCode_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("size");
        QTest::newRow("server address") << "http://127.0.0.1:8080/score" << 29;
        QTest::newRow("short") << "http://a.cn" << 21;
    }
    void qrCode()
    {
        QFETCH(QString, text);
        QFETCH(int, size);
        const QrMatrix m = encodeQr(text);
        QCOMPARE(m.size, size);
        QCOMPARE(m.modules.size(), qsizetype(size) * size);
        // The three finder patterns: dark corners, a light ring inside them.
        for (const auto &[x, y] : {std::pair(0, 0), std::pair(size - 7, 0), std::pair(0, size - 7)}) {
            QVERIFY(m.dark(x, y) && m.dark(x + 6, y + 6) && m.dark(x + 3, y + 3));
            QVERIFY(!m.dark(x + 1, y + 1) && !m.dark(x + 5, y + 5));
        }
    }
    void qrCodeOfNothing()
    {
        QVERIFY(encodeQr(QString()).isEmpty());
        QVERIFY(encodeQr(QString(8000, u'x')).isEmpty()); // beyond any QR code
    }
};

QTEST_GUILESS_MAIN(TestConsoleFiles)
#include "tst_ConsoleFiles.moc"
