// The Windows seams that the shared tests cannot reach: device names in the data folder
// and the Start-menu and desktop shell links.
#include "console/Shortcuts.h"
#include "core/BoundedRead.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shlwapi.h>

using namespace corvanta;
using namespace corvanta::console;

namespace {

// The program a shell link starts; empty when the file is no shell link. Read through a
// stream: wine's IPersistFile::Load keeps the file open, so it could not be removed after.
QString linkTarget(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    QString target;
    IShellLinkW *link = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                   reinterpret_cast<void **>(&link)))) {
        IPersistStream *persist = nullptr;
        IStream *stream = SHCreateMemStream(reinterpret_cast<const BYTE *>(bytes.constData()), UINT(bytes.size()));
        wchar_t buffer[MAX_PATH] = {};
        if (stream && SUCCEEDED(link->QueryInterface(IID_IPersistStream, reinterpret_cast<void **>(&persist))) &&
            SUCCEEDED(persist->Load(stream)) && SUCCEEDED(link->GetPath(buffer, MAX_PATH, nullptr, 0)))
            target = QString::fromWCharArray(buffer);
        if (persist)
            persist->Release();
        if (stream)
            stream->Release();
        link->Release();
    }
    CoUninitialize();
    return target;
}

} // namespace

class TestWindowsFiles : public QObject
{
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> m_dir;

private slots:
    void init() { m_dir = std::make_unique<QTemporaryDir>(); }

    void devicesAreRefused_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("mode");
        const int read = QIODevice::ReadOnly;
        const int write = QIODevice::WriteOnly;
        QTest::newRow("NUL, read") << "NUL" << read;
        QTest::newRow("nul with extension, write") << "nul.cvr" << write;
        QTest::newRow("CON, read") << "CON" << read;
        QTest::newRow("COM1, append") << "COM1.txt" << int(QIODevice::WriteOnly | QIODevice::Append);
        QTest::newRow("LPT1 with blank") << "LPT1 " << read;
        QTest::newRow("pipe namespace") << "\\\\.\\pipe\\corvanta" << read;
        QTest::newRow("folder, read") << "folder" << read;
        QTest::newRow("folder, write") << "folder" << write;
    }
    void devicesAreRefused()
    {
        QFETCH(QString, name);
        QFETCH(int, mode);
        QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("folder")));
        const QString path = name.startsWith(u'\\') ? name : m_dir->filePath(name);
        QFile file(path);
        const Result opened = openRegularFile(file, QIODevice::OpenMode(mode));
        QVERIFY(!opened);
        QCOMPARE(opened.error(), QStringLiteral("不是普通文件"));
        QVERIFY(!fileStamp(path).regular);
    }

    void regularFilesOpenAndStamp()
    {
        const QString path = m_dir->filePath(QStringLiteral("班级.cvr"));
        QFile writer(path);
        QVERIFY(openRegularFile(writer, QIODevice::WriteOnly));
        writer.write("abc");
        writer.close();
        const FileStamp first = fileStamp(path);
        QVERIFY(first.regular);
        QCOMPARE(first.size, qint64(3));
        QFile appender(path);
        QVERIFY(openRegularFile(appender, QIODevice::WriteOnly | QIODevice::Append));
        appender.write("de");
        appender.close();
        QFile reader(path);
        QVERIFY(openRegularFile(reader, QIODevice::ReadOnly));
        QCOMPARE(reader.readAll(), QByteArray("abcde"));
        const FileStamp second = fileStamp(path);
        QCOMPARE(second.identity, first.identity);
        QVERIFY(second != first);
    }

    void shellLinksOfEveryKind()
    {
        const ShortcutFolders folders{m_dir->filePath(QStringLiteral("Desktop")),
                                      m_dir->filePath(QStringLiteral("Programs"))};
        const QString program = QDir::toNativeSeparators(m_dir->filePath(QStringLiteral("Corvanta/corvanta.exe")));
        const QString expected[3] = {m_dir->filePath(QStringLiteral("Desktop/Corvan.lnk")),
                                     m_dir->filePath(QStringLiteral("Programs/Brastel/Corvan.lnk")),
                                     m_dir->filePath(QStringLiteral("Programs/Corvan.lnk"))};
        for (int kind = 0; kind < kShortcutKinds; ++kind) {
            QCOMPARE(shortcutPath(kind, folders), expected[kind]);
            const Result added = AddProgramShortcut(kind, folders, program);
            QVERIFY2(added.ok(), qPrintable(added.error()));
            QVERIFY(shortcutExists(kind, folders));
            QCOMPARE(linkTarget(expected[kind]).toLower(), program.toLower());
        }
        // Only this program's link leaves "Brastel"; the folder goes when it is then empty.
        QFile other(m_dir->filePath(QStringLiteral("Programs/Brastel/other.txt")));
        QVERIFY(other.open(QIODevice::WriteOnly));
        other.close();
        QVERIFY(RemoveProgramShortcut(GroupShortcut, folders).ok());
        QVERIFY(!shortcutExists(GroupShortcut, folders));
        QVERIFY(other.exists());
        QVERIFY(other.remove());
        QVERIFY(AddProgramShortcut(GroupShortcut, folders, program).ok());
        for (int kind = 0; kind < kShortcutKinds; ++kind)
            QVERIFY(RemoveProgramShortcut(kind, folders).ok());
        QVERIFY(!QFileInfo::exists(m_dir->filePath(QStringLiteral("Programs/Brastel"))));
        QVERIFY(QFileInfo(folders.applications).isDir());
        QVERIFY(QFileInfo(folders.desktop).isDir());
    }

    void systemFoldersAreTheUsers()
    {
        const ShortcutFolders folders = ShortcutFolders::system();
        QVERIFY(folders.applications.endsWith(QStringLiteral("Start Menu/Programs")));
        QVERIFY(!folders.desktop.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestWindowsFiles)
#include "tst_WindowsFiles.moc"
