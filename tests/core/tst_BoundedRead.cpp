#include "core/BoundedRead.h"

#include <QBuffer>
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
};

QTEST_GUILESS_MAIN(TestBoundedRead)
#include "tst_BoundedRead.moc"
