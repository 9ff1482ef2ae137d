#include "core/BoundedRead.h"
#include "support/FifoGuard.h"

#include <QBuffer>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

using namespace corvanta;

namespace {

// A pipe-like device: no size, and never more than a few bytes a call.
class TrickleDevice : public QIODevice
{
public:
    explicit TrickleDevice(QByteArray content) : m_content(std::move(content)) {}
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char *data, qint64 maxSize) override
    {
        const qint64 n = std::min<qint64>({maxSize, 1000, m_content.size() - m_offset});
        std::copy_n(m_content.constData() + m_offset, n, data);
        m_offset += n;
        return n;
    }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    QByteArray m_content;
    qsizetype m_offset = 0;
};

QByteArray pattern(qsizetype size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = char('a' + i % 26);
    return bytes;
}

} // namespace

class TestBoundedRead : public QObject
{
    Q_OBJECT
private slots:
    void readsUpToTheLimit_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("limit");
        QTest::addColumn<bool>("trickle");
        QTest::newRow("empty") << 0 << 10 << false;
        QTest::newRow("shorter than the limit") << 5 << 10 << false;
        QTest::newRow("exactly the limit") << 10 << 10 << false;
        QTest::newRow("one past the limit") << 11 << 10 << false;
        QTest::newRow("several pieces, cut") << 200000 << 150001 << false;
        QTest::newRow("several pieces, whole") << 200000 << 300000 << false;
        QTest::newRow("trickling, cut") << 5000 << 4321 << true;
        QTest::newRow("trickling, whole") << 5000 << 9000 << true;
        QTest::newRow("limit zero") << 5 << 0 << false;
    }
    void readsUpToTheLimit()
    {
        QFETCH(int, size);
        QFETCH(int, limit);
        QFETCH(bool, trickle);
        QByteArray content = pattern(size);
        TrickleDevice trickling(content);
        QBuffer plain(&content);
        QIODevice &device = trickle ? static_cast<QIODevice &>(trickling) : plain;
        QVERIFY(device.open(QIODevice::ReadOnly));
        QCOMPARE(readAtMost(device, limit), content.left(qMin(size, limit)));
    }

    // Only regular files open; anything else under the name fails at once and says why.
    void openRegularFile_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("opens");
        QTest::addColumn<QByteArray>("after"); // the file's bytes after writing "new"
        const int read = QIODevice::ReadOnly;
        const int write = QIODevice::WriteOnly;
        const int append = QIODevice::WriteOnly | QIODevice::Append;
        QTest::newRow("file, read") << "file" << read << true << QByteArray("old");
        QTest::newRow("file, write empties it") << "file" << write << true << QByteArray("new");
        QTest::newRow("file, append") << "file" << append << true << QByteArray("oldnew");
        QTest::newRow("missing, read") << "missing" << read << false << QByteArray();
        QTest::newRow("missing, append creates") << "missing" << append << true << QByteArray("new");
        QTest::newRow("folder, read") << "folder" << read << false << QByteArray();
        QTest::newRow("folder, append") << "folder" << append << false << QByteArray();
        QTest::newRow("FIFO, read") << "fifo" << read << false << QByteArray();
        QTest::newRow("FIFO, append") << "fifo" << append << false << QByteArray();
        QTest::newRow("FIFO, write") << "fifo" << write << false << QByteArray();
        QTest::newRow("device, read") << "device" << read << false << QByteArray();
    }
    void openRegularFile()
    {
        QFETCH(QString, kind);
        QFETCH(int, mode);
        QFETCH(bool, opens);
        QFETCH(QByteArray, after);
        QTemporaryDir dir;
        QString path = dir.filePath(QStringLiteral("Pending.cvr"));
        if (kind == u"file") {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("old");
        } else if (kind == u"folder") {
            QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("Pending.cvr")));
        } else if (kind == u"fifo") {
            QVERIFY(test::makeFifo(path));
        } else if (kind == u"device") {
            path = QStringLiteral("/dev/zero");
        }
        Result result = Result::failure({});
        QFile file(path);
        QVERIFY(test::returnsSoon(path, [&] { result = corvanta::openRegularFile(file, QIODevice::OpenMode(mode)); }));
        QCOMPARE(result.ok(), opens);
        QCOMPARE(file.isOpen(), opens);
        if (kind != u"missing" && kind != u"file")
            QCOMPARE(result.error(), QStringLiteral("不是普通文件"));
        if (!opens) {
            QVERIFY(!result.error().isEmpty());
            return;
        }
        if (mode & QIODevice::WriteOnly)
            QCOMPARE(file.write("new"), 3);
        else
            QCOMPARE(file.readAll(), QByteArray("old"));
        file.close();
        QFile check(path);
        QVERIFY(check.open(QIODevice::ReadOnly));
        QCOMPARE(check.readAll(), after);
    }
};

QTEST_GUILESS_MAIN(TestBoundedRead)
#include "tst_BoundedRead.moc"
