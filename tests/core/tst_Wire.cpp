#include "net/Wire.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTest>
#include <QTimeZone>

#include <thread>

using namespace corvanta;

namespace {
class FixedRandom final : public RandomSource
{
public:
    explicit FixedRandom(double v) : m_v(v) {}
    double next() override { return m_v; }

private:
    double m_v;
};

// How the date reader read dates when it was a regular expression: the reader by hand must
// answer every text the same.
qint64 dateTextByPattern(const QString &text)
{
    static const QRegularExpression pattern(
        QStringLiteral(R"(^\s*(\d{4})[-/](\d{1,2})[-/](\d{1,2})(?:[ T]+(\d{1,2}):(\d{1,2})(?::(\d{1,2}))?)?\s*$)"));
    const QRegularExpressionMatch m = pattern.match(text);
    if (!m.hasMatch())
        return 0;
    const QDate date(m.capturedView(1).toInt(), m.capturedView(2).toInt(), m.capturedView(3).toInt());
    const QTime time(m.capturedView(4).toInt(), m.capturedView(5).toInt(), m.capturedView(6).toInt());
    if (!date.isValid() || !time.isValid())
        return 0;
    // The calendar seconds after 1970-01-01 08:00:00: the text read on a clock 8 hours ahead of UTC.
    return QDateTime(date, time, QTimeZone(8 * 3600)).toSecsSinceEpoch();
}
} // namespace

class TestWire : public QObject
{
    Q_OBJECT
private slots:
    void urlEncode_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("encoded");
        QTest::newRow("ascii") << "abc 123" << "abc 123";
        QTest::newRow("zhang san") << QStringLiteral("张三") << "%D5%C5%C8%FD";
        QTest::newRow("class") << QStringLiteral("班") << "%B0%E0";
        QTest::newRow("ampersand and equals") << "A&B=C" << "A%26B%3DC";
        QTest::newRow("percent and plus") << "50%+1" << "50%25%2B1";
        QTest::newRow("tab and crlf") << "a\tb\r\n" << "a%09b%0D%0A";
        QTest::newRow("no gbk form") << QStringLiteral("x\U0001F600y") << "x?y";
        QTest::newRow("check mark") << QStringLiteral("√") << "%A1%CC";
        QTest::newRow("bar stays") << "a|b" << "a|b";
    }
    void urlEncode()
    {
        QFETCH(QString, value);
        QFETCH(QString, encoded);
        QCOMPARE(UrlEncode(value), encoded);
    }

    void formBodyKeepsItsBoundaries()
    {
        const QByteArray body = FormFields()
                                    .add("username", QStringLiteral("张三"))
                                    .add("password", "p&w=1")
                                    .add("keti", "A&B=C")
                                    .encoded();
        QCOMPARE(body, QByteArray("username=%D5%C5%C8%FD&password=p%26w%3D1&keti=A%26B%3DC"));
        const auto fields = decodeForm(body);
        QCOMPARE(fields.size(), 3);
        QCOMPARE(fields[0].second, QStringLiteral("张三"));
        QCOMPARE(fields[1].second, QStringLiteral("p&w=1"));
        QCOMPARE(fields[2].second, QStringLiteral("A&B=C"));
    }

    void decodeFormToleratesJunk_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("firstValue");
        QTest::newRow("plus is space") << QByteArray("a=x+y") << 1 << "x y";
        QTest::newRow("raw tab") << QByteArray("a=x\ty") << 1 << "x\ty";
        QTest::newRow("cut escape") << QByteArray("a=x%4") << 1 << "x%4";
        QTest::newRow("bad escape") << QByteArray("a=%ZZ") << 1 << "%ZZ";
        QTest::newRow("no equals") << QByteArray("flag") << 1 << "";
        QTest::newRow("empty parts") << QByteArray("&&a=1&") << 1 << "1";
        QTest::newRow("raw gbk") << QByteArray("a=\xB0\xE0") << 1 << QStringLiteral("班");
        QTest::newRow("empty") << QByteArray() << 0 << "";
    }
    void decodeFormToleratesJunk()
    {
        QFETCH(QByteArray, body);
        QFETCH(int, count);
        QFETCH(QString, firstValue);
        const auto fields = decodeForm(body);
        QCOMPARE(fields.size(), count);
        if (count > 0)
            QCOMPARE(fields[0].second, firstValue);
    }

    void classify_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("reply");
        QTest::addColumn<QString>("word");
        QTest::addColumn<int>("outcome");
        QTest::newRow("accepted") << 200 << "Success!" << "Success!" << int(ReplyOutcome::Accepted);
        QTest::newRow("trailing line break") << 200 << "Success!\r\n" << "Success!" << int(ReplyOutcome::Rejected);
        QTest::newRow("case differs") << 200 << "success!" << "Success!" << int(ReplyOutcome::Rejected);
        QTest::newRow("reset page") << 200 << "success" << "success" << int(ReplyOutcome::Accepted);
        QTest::newRow("reset refused") << 200 << "failure" << "success" << int(ReplyOutcome::Rejected);
        QTest::newRow("server error with word") << 500 << "Success!" << "Success!" << int(ReplyOutcome::Failed);
        QTest::newRow("no connection") << 0 << "" << "Success!" << int(ReplyOutcome::Failed);
    }
    void classify()
    {
        QFETCH(int, status);
        QFETCH(QString, reply);
        QFETCH(QString, word);
        QFETCH(int, outcome);
        QCOMPARE(int(classifyReply(status, reply, word)), outcome);
    }

    void md5_data()
    {
        // RFC 1321's test suite.
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("digest");
        QTest::newRow("empty") << "" << "d41d8cd98f00b204e9800998ecf8427e";
        QTest::newRow("a") << "a" << "0cc175b9c0f1b6a831c399e269772661";
        QTest::newRow("abc") << "abc" << "900150983cd24fb0d6963f7d28e17f72";
        QTest::newRow("message digest") << "message digest" << "f96b697d7cb7938d525a2f31aaf161d0";
        QTest::newRow("alphabet") << "abcdefghijklmnopqrstuvwxyz" << "c3fcd3d76192e4007dfb496cca67e13b";
        QTest::newRow("alnum") << "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789"
                               << "d174ab98d277d9f5a5611c2c9f419d9f";
        QTest::newRow("digits")
            << "12345678901234567890123456789012345678901234567890123456789012345678901234567890"
            << "57edf4a22be3c955ac49da2e2107b67a";
        QTest::newRow("trimmed like the body") << "  abc " << "900150983cd24fb0d6963f7d28e17f72";
    }
    void md5()
    {
        QFETCH(QString, password);
        QFETCH(QString, digest);
        QCOMPARE(Md5Hex(password), digest);
    }

    void md5OfChineseUsesGbkBytes()
    {
        QCOMPARE(Md5Hex(QStringLiteral("班")),
                 QString::fromLatin1(QCryptographicHash::hash("\xB0\xE0", QCryptographicHash::Md5).toHex()));
    }

    void randomValueIsShort()
    {
        FixedRandom r(0.70554751234);
        QCOMPARE(randomAddressValue(r), QStringLiteral("0.7055475"));
    }

    void dateText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("isDate");
        QTest::newRow("date only") << "2013-3-15" << true;
        QTest::newRow("full") << "2026-03-05 09:07:02" << true;
        QTest::newRow("slashes") << "2026/3/5 9:07" << true;
        QTest::newRow("no date") << "hello" << false;
        QTest::newRow("bad month") << "2026-13-01" << false;
        QTest::newRow("empty") << "" << false;
    }
    void dateText()
    {
        QFETCH(QString, text);
        QFETCH(bool, isDate);
        const qint64 s = DateTextToSeconds(text);
        QCOMPARE(s != 0, isDate);
        if (isDate)
            QCOMPARE(DateTextToSeconds(SecondsToDateText(s)), s);
    }

    void dateTextAsByPattern_data()
    {
        QTest::addColumn<QString>("text");
        const char *const texts[] = {
            "2026-03-05 09:07:02", "2026-3-5", "2026/3/5 9:7", "2026/03-05T09:07:02", "2026-03-05TT 9:07",
            "  2026-03-05 09:07:02\t\r\n", "\v\f2026-03-05", "2026-03-05 ", "2026-03-05 T", "2026-03-05 \t",
            "2026-03-05\t09:07", "2026-03-05 09:07:", "2026-03-05 09:", "2026-03-05 09", "2026-03-05 9:7:5",
            "2026-03-05 09:07:02 x", "2026-03-05 009:07", "2026-03-05 09:007", "2026-03-05 09:07:002",
            "2026-003-05", "2026-03-005", "20261-03-05", "226-03-05", "2026-03", "2026--03-05", "2026-03/05",
            "2026.03.05", "2026-02-29", "2024-02-29", "2026-04-31", "2026-12-31 23:59:59", "2026-01-01 24:00",
            "2026-01-01 23:60", "2026-01-01 23:59:60", "0000-01-01", "0001-01-01", "9999-12-31 23:59:59",
            "1970-01-01 00:00:00", "1969-12-31 23:59:59", "2026-00-10", "2026-10-00", "-2026-03-05", "+2026-03-05",
            "2026-03-05 +9:07", "2026-03-05 -9:07", "", " ", "2026", "2026-", "2026-3-", "2026-3-5 :07",
            "2026-3-5 9:", "2026-3-5T", "2026-3-5 T9:07", "2026-3-5 TT", "x2026-3-5", "2026-3-5x",
        };
        for (const char *t : texts)
            QTest::newRow(t) << QString::fromLatin1(t);
        // Unicode digits and blanks (full-width, Arabic-Indic, ideographic space, no-break space).
        QTest::newRow("full-width digits") << QStringLiteral("２０２６-03-05");
        QTest::newRow("arabic-indic digits") << QStringLiteral("2026-٠٣-05");
        QTest::newRow("ideographic space") << QStringLiteral("\u30002026-03-05 09:07");
        QTest::newRow("no-break space") << QStringLiteral("2026-03-05\u00a009:07");
        QTest::newRow("next line") << QStringLiteral("2026-03-05 09:07\u0085");
        QTest::newRow("nul inside") << QStringLiteral("2026-03-05").append(QChar(0)).append(u"09:07");
        QTest::newRow("chinese") << QStringLiteral("2026年3月5日");
        // Texts made from a valid one by dropping, doubling and changing characters.
        QRandomGenerator random(26);
        const QString alphabet = QStringLiteral("0123456789-/: T\t9x\u3000１");
        for (int i = 0; i < 300; ++i) {
            QString t = QStringLiteral("2026-03-05 09:07:02");
            for (int edits = 1 + random.bounded(3); edits > 0; --edits) {
                const int at = random.bounded(int(t.size()) + 1);
                switch (random.bounded(3)) {
                case 0:
                    if (at < t.size())
                        t.remove(at, 1);
                    break;
                case 1:
                    t.insert(at, alphabet[random.bounded(int(alphabet.size()))]);
                    break;
                default:
                    if (at < t.size())
                        t[at] = alphabet[random.bounded(int(alphabet.size()))];
                }
            }
            QTest::addRow("edited %d: %s", i, qPrintable(t)) << t;
        }
    }
    void dateTextAsByPattern()
    {
        QFETCH(QString, text);
        QCOMPARE(DateTextToSeconds(text), dateTextByPattern(text));
    }

    // Across the days the clocks change (an hour, half an hour, forward and back), in a
    // thread of its own so nothing read before in another zone is reused: every time text,
    // those the local clock skips or shows twice among them, has one count in every zone and
    // comes back as written.
    void dateTextAsByPatternWhereClocksChange_data()
    {
        QTest::addColumn<QByteArray>("zone");
        QTest::addColumn<QDate>("day");
        QTest::newRow("Berlin, forward") << QByteArray("Europe/Berlin") << QDate(2026, 3, 29);
        QTest::newRow("Berlin, back") << QByteArray("Europe/Berlin") << QDate(2026, 10, 25);
        QTest::newRow("New York, forward") << QByteArray("America/New_York") << QDate(2026, 3, 8);
        QTest::newRow("New York, back") << QByteArray("America/New_York") << QDate(2026, 11, 1);
        QTest::newRow("Lord Howe, forward") << QByteArray("Australia/Lord_Howe") << QDate(2026, 10, 4);
        QTest::newRow("Lord Howe, back") << QByteArray("Australia/Lord_Howe") << QDate(2026, 4, 5);
        QTest::newRow("Shanghai") << QByteArray("Asia/Shanghai") << QDate(2026, 3, 5);
        QTest::newRow("POSIX rule") << QByteArray("XST-8XDT,M3.2.0/2:30,M11.1.0/1:45") << QDate(2026, 3, 8);
    }
    void dateTextAsByPatternWhereClocksChange()
    {
        QFETCH(QByteArray, zone);
        QFETCH(QDate, day);
        const QByteArray before = qgetenv("TZ");
        qputenv("TZ", zone);
        QStringList wrong;
        std::thread([&] {
            // Every minute as written, those the clocks skip or show twice among them.
            for (int minutes = 0; minutes < 24 * 60; ++minutes) {
                const QString text = day.toString("yyyy-MM-dd ") + QTime(minutes / 60, minutes % 60, minutes % 60)
                                                                      .toString("hh:mm:ss");
                if (DateTextToSeconds(text) != dateTextByPattern(text) ||
                    SecondsToDateText(DateTextToSeconds(text)) != text)
                    wrong.append(text);
            }
        }).join();
        if (before.isNull())
            qunsetenv("TZ");
        else
            qputenv("TZ", before);
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong.mid(0, 5).join(u", ")));
    }

    void floorIsLocalMidnight()
    {
        QCOMPARE(DateTextToSeconds("2013-3-15"), 1363276800);
        QCOMPARE(DateTextToSeconds("1970-1-1 08:00:10"), 10);
        QCOMPARE(SecondsToDateText(1LL << 50), QString());
    }
};

QTEST_GUILESS_MAIN(TestWire)
#include "tst_Wire.moc"
