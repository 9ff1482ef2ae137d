// The store under the pages: a database made by an older server is brought up to date and
// keeps every score; the ids an upload keeps between requests never outlive a change.
#include "ServiceRig.h"
#include "support/PostgresCluster.h"
#include "support/ZoneScope.h"

#include "DatabaseUrl.h"
#include "SqlSchema.h"
#include "SqlStore.h"
#include "StoreFactory.h"

#include "net/Wire.h"

#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

using namespace corvanta;
using namespace corvanta::server;

Q_DECLARE_METATYPE(corvanta::server::ScoreRecord)

namespace {

// A connection of its own to the test database, for what the store does not offer.
class RawDatabase
{
public:
    explicit RawDatabase(const QString &database)
    {
        QString error;
        const std::optional<DatabaseUrl> url = parseDatabaseUrl(database, &error);
        const bool pg = url && url->kind == DatabaseUrl::Kind::Postgres;
        QSqlDatabase db = QSqlDatabase::addDatabase(pg ? QStringLiteral("QPSQL") : QStringLiteral("QSQLITE"), m_name);
        if (pg) {
            db.setHostName(url->host);
            db.setPort(url->port);
            db.setUserName(url->user);
            db.setDatabaseName(url->databaseName);
        } else {
            db.setDatabaseName(url ? url->path : database);
        }
        if (!db.open())
            qFatal("cannot open %s: %s", qPrintable(database), qPrintable(db.lastError().text()));
        dialect = pg ? schema::Dialect::Postgres : schema::Dialect::Sqlite;
    }
    ~RawDatabase()
    {
        QSqlDatabase::database(m_name, false).close();
        QSqlDatabase::removeDatabase(m_name);
    }
    void exec(const QString &sql)
    {
        QSqlQuery q(QSqlDatabase::database(m_name, false));
        if (!q.exec(sql))
            qFatal("%s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
    }
    QVariant value(const QString &sql)
    {
        QSqlQuery q(QSqlDatabase::database(m_name, false));
        if (!q.exec(sql) || !q.next())
            qFatal("%s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
        return q.value(0);
    }
    schema::Dialect dialect = schema::Dialect::Sqlite;

private:
    QString m_name = QStringLiteral("raw-%1").arg(quintptr(this));
};

constexpr int kOldVersion = 4; // before scores had a class column

// The tables as a server of that schema version left them, empty.
void makeTablesOf(RawDatabase &raw, int version)
{
    raw.exec(QStringLiteral("CREATE TABLE meta (key TEXT PRIMARY KEY, value TEXT NOT NULL)"));
    for (const QStringList &step : schema::steps(raw.dialect).mid(0, version)) {
        for (const QString &statement : step)
            raw.exec(statement);
    }
    raw.exec(QStringLiteral("INSERT INTO meta (key, value) VALUES ('schema', '%1')").arg(version));
}

// What a server of that schema version (4 or later) left: two classes with a student of the
// same name in each, and their scores.
void makeOldDatabase(const QString &database, int version)
{
    RawDatabase raw(database);
    makeTablesOf(raw, version);
    // The unique key as servers made it until SQLite's started with the time.
    if (version > kOldVersion)
        raw.exec(QStringLiteral("CREATE UNIQUE INDEX IF NOT EXISTS score_once ON score (student_id, at, score, topic, note)"));
    raw.exec(QStringLiteral("INSERT INTO teacher (id, account, account_key, name, email, login_verifier, "
                            "operation_hash, data_version) VALUES (7, 'Old', 'old', 'x', '', 'v', 'h', 5)"));
    raw.exec(QStringLiteral("INSERT INTO class (id, teacher_id, name, position, last_upload) VALUES "
                            "(11, 7, '一班', 0, 100), (12, 7, '二班', 1, 200)"));
    raw.exec(QStringLiteral("INSERT INTO student (id, class_id, name, position) VALUES "
                            "(21, 11, '张三', 0), (22, 11, '李四', 1), (23, 12, '张三', 0)"));
    // Class 一班: 3 scores of 张三, 2 of 李四; class 二班: 4 of its 张三.
    const char *const scores[][4] = {{"21", "1", "1000", "提问"}, {"21", "2", "1001", "提问"},
                                     {"21", "3", "1002", "朗读"}, {"22", "4", "1003", "提问"},
                                     {"22", "5", "1004", "朗读"}, {"23", "1", "1005", "提问"},
                                     {"23", "2", "1006", "提问"}, {"23", "3", "1007", "提问"},
                                     {"23", "4", "1008", "默写"}};
    for (const auto &s : scores)
        raw.exec(QStringLiteral("INSERT INTO score (student_id, score, at, topic, note%5) VALUES (%1, %2, %3, '%4', ''%6)")
                     .arg(QLatin1String(s[0]), QLatin1String(s[1]), QLatin1String(s[2]), QString::fromUtf8(s[3]),
                          version > kOldVersion ? QStringLiteral(", class_id") : QString(),
                          version > kOldVersion ? QStringLiteral(", (SELECT class_id FROM student WHERE id = %1)")
                                                      .arg(QLatin1String(s[0]))
                                                : QString()));
}

ScoreRecord line(const QString &className, const QString &student, double score, qint64 at)
{
    ScoreRecord s;
    s.className = className;
    s.student = student;
    s.score = score;
    s.time = at;
    s.topic = QStringLiteral("提问");
    return s;
}

// The line changed in one of its values only (by `step`).
ScoreRecord differing(ScoreRecord r, schema::ScoreColumn column, int step)
{
    const QVariant v = SqlStore::scoreValue(r, column);
    SqlStore::setScoreValue(r, column, v.typeId() == QMetaType::QString ? QVariant(v.toString() + QString::number(step))
                                                         : QVariant(v.toLongLong() + 1 + step));
    return r;
}

} // namespace

class TestServerStore : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        CORVANTA_SKIP_WITHOUT_POSTGRES();
    }

    // The old database is made once and a copy opened, as an operator's would be: the
    // migration fills the class of every score from its student.
    void oldDatabaseMigrated_data()
    {
        QTest::addColumn<int>("version");
        QTest::newRow("scores without their class") << kOldVersion;
        QTest::newRow("key led by the student") << int(schema::steps(schema::Dialect::Sqlite).size()) - 1;
    }
    void oldDatabaseMigrated()
    {
        QFETCH(int, version);
        // On China time a stored time keeps its number (oldTimesKeepTheirText has the others).
        test::ZoneScope china("Asia/Shanghai");
        QTemporaryDir dir;
        QString database = test::testDatabase(dir, QStringLiteral("old.db"));
        makeOldDatabase(database, version);
        if (!test::PostgresCluster::wanted()) {
            const QString copy = dir.filePath(QStringLiteral("copy.db"));
            QVERIFY(QFile::copy(dir.filePath(QStringLiteral("old.db")), copy));
            database = QStringLiteral("sqlite:") + copy;
        }
        QString error;
        std::unique_ptr<Store> store = openStore(database, &error);
        QVERIFY2(store, qPrintable(error));
        {
            RawDatabase raw(database);
            QCOMPARE(raw.value(QStringLiteral("SELECT value FROM meta WHERE key = 'schema'")).toInt(),
                     schema::steps(raw.dialect).size());
            QCOMPARE(raw.value(QStringLiteral("SELECT COUNT(*) FROM score sc JOIN student s ON s.id = sc.student_id "
                                              "WHERE sc.class_id = s.class_id"))
                         .toInt(),
                     9);
            // The rows keep their ids; the unique key and the class index are named indexes.
            QCOMPARE(raw.value(QStringLiteral("SELECT SUM(id) FROM score")).toInt(), 45);
            const QString indexes = raw.dialect == schema::Dialect::Postgres
                                        ? QStringLiteral("SELECT string_agg(indexname, ',' ORDER BY indexname) FROM "
                                                         "pg_indexes WHERE tablename = 'score' AND indexname <> "
                                                         "'score_pkey'")
                                        : QStringLiteral("SELECT group_concat(name, ',') FROM (SELECT name FROM "
                                                         "sqlite_master WHERE type = 'index' AND tbl_name = 'score' "
                                                         "ORDER BY name)");
            QCOMPARE(raw.value(indexes).toString(), raw.dialect == schema::Dialect::Postgres
                                                        ? QStringLiteral("score_class,score_once")
                                                        : QStringLiteral("score_class,score_once,score_student"));
            // SQLite's key remade, the time first (lines at the bell go to its end).
            if (raw.dialect == schema::Dialect::Sqlite)
                QCOMPARE(raw.value(QStringLiteral("SELECT name FROM pragma_index_info('score_once') WHERE seqno = 0"))
                             .toString(),
                         QStringLiteral("at"));
        }
        const QList<ClassSummary> summaries = store->classSummaries(7);
        QCOMPARE(summaries.size(), 2);
        QCOMPARE(summaries[0].scores, 5);
        QCOMPARE(summaries[1].scores, 4);
        QCOMPARE(summaries[1].lastUpload, 200);
        const std::optional<ClassReport> report = store->classReport(7, QStringLiteral("二班"), 2);
        QVERIFY(report);
        QCOMPARE(report->students.size(), 1);
        QCOMPARE(report->students[0].scores, 4);
        QCOMPARE(report->students[0].total, 10.0);
        QCOMPARE(report->latest.size(), 2);
        QCOMPARE(report->latest[0].time, 1008);
        QCOMPARE(report->latest[1].time, 1007);
        QCOMPARE(report->topics.size(), 2);
        // An old line sent again stays once; a new one goes to its class.
        AddScoresResult again = store->addScores(7, {line("一班", "张三", 1, 1000)}, 300);
        QCOMPARE(again.stored, 0);
        AddScoresResult added =
            store->addScores(7, {line("二班", "张三", 5, 2000), line("一班", "张三", 1, 1000)}, 300);
        QCOMPARE(int(added.result), int(StoreResult::Done));
        QCOMPARE(added.stored, 1);
        QCOMPARE(store->classSummaries(7)[1].scores, 5);
        QCOMPARE(store->scoresOfStudent(7, "二班", "张三")->size(), 5);
        QCOMPARE(store->scoresOfStudent(7, "一班", "张三")->size(), 3);
        // The class's scores by the hour, oldest first, each hour holding scores once.
        const std::optional<ClassReport> grown = store->classReport(7, QStringLiteral("二班"), 0);
        QCOMPARE(grown->scoreHours.size(), grown->hours.size());
        QCOMPARE(grown->hours.first().start, grown->scoreHours.first());
        int counted = 0;
        for (const HourSummary &hour : grown->hours)
            counted += hour.scores;
        QCOMPARE(counted, 5);
    }

    // Times stored as Unix seconds by a server in its zone read as the same text after the
    // upgrade, on the days clocks change too, and a score an exact shift from another of the
    // same key keeps both on their way.
    void oldTimesKeepTheirText_data()
    {
        QTest::addColumn<QByteArray>("zone");
        for (const char *zone : {"UTC", "Europe/Berlin", "America/New_York", "Asia/Shanghai", "Australia/Lord_Howe",
                                 "XST-8XDT,M3.2.0/2:30,M11.1.0/1:45"})
            QTest::newRow(zone) << QByteArray(zone);
    }
    void oldTimesKeepTheirText()
    {
        QFETCH(QByteArray, zone);
        test::ZoneScope scope(zone);
        QTemporaryDir dir;
        const QString database = test::testDatabase(dir, QStringLiteral("old.db"));
        QStringList texts;
        {
            RawDatabase raw(database);
            makeTablesOf(raw, 5); // score times as Unix seconds of the server's zone
            raw.exec(QStringLiteral("INSERT INTO teacher (id, account, account_key, name, email, login_verifier, "
                                    "operation_hash) VALUES (7, 'Old', 'old', 'x', '', 'v', 'h')"));
            raw.exec(QStringLiteral("INSERT INTO class (id, teacher_id, name, position) VALUES (11, 7, '一班', 0)"));
            raw.exec(QStringLiteral("INSERT INTO student (id, class_id, name, position) VALUES (21, 11, '张三', 0)"));
            QList<qint64> stored;
            for (const char *text : {"2026-03-05 09:07:02", "2026-03-08 01:59:59", "2026-03-08 03:00:00",
                                     "2026-03-29 03:30:00", "2026-10-25 01:30:00", "2026-11-01 01:30:00",
                                     "2026-04-05 01:45:00", "2026-10-04 02:30:00", "2014-07-01 12:00:00"}) {
                const QDateTime local = QDateTime::fromString(QLatin1String(text), QStringLiteral("yyyy-MM-dd hh:mm:ss"));
                const qint64 at = local.toSecsSinceEpoch();
                // A second score of the same key where the first one's new time is.
                const qint64 shift = QDateTime::fromSecsSinceEpoch(at).offsetFromUtc() - 8 * 3600;
                for (const qint64 t : {at, at + shift}) {
                    if (stored.contains(t))
                        continue;
                    stored.append(t);
                    // The text the old server showed for it; where clocks went back, a second
                    // score of the same text keeps its place a second later.
                    const QString text =
                        QDateTime::fromSecsSinceEpoch(t).toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
                    texts.append(texts.contains(text) ? SecondsToDateText(DateTextToSeconds(text) + 1) : text);
                    raw.exec(QStringLiteral("INSERT INTO score (student_id, class_id, score, at, topic, note) "
                                            "VALUES (21, 11, 5, %1, 'x', '')")
                                 .arg(t));
                }
            }
        }
        QString error;
        std::unique_ptr<Store> store = openStore(database, &error);
        QVERIFY2(store, qPrintable(error));
        QStringList read;
        const auto scores = store->scoresOfClass(7, QStringLiteral("一班"));
        QVERIFY(scores);
        for (const ScoreRecord &r : *scores)
            read.append(SecondsToDateText(r.time));
        read.sort();
        texts.sort();
        QCOMPARE(read, texts);
    }

    // Ids an upload keeps from the uploads before: a change of the lists in either process
    // (a removed student, a class renamed and another given its name) is seen at once.
    void keptIdsFollowChanges()
    {
        test::TwoProcesses both;
        QVERIFY2(both.open(), qPrintable(both.a.error + both.b.error));
        Store &a = *both.a.store;
        Store &b = *both.b.store;
        QVERIFY(both.a.service.addTeacher("ids", "x", "login", "oper", "i@example.org"));
        const qint64 t = a.teacherByAccount("ids")->id;
        a.replaceClasses(t, {"一班", "二班"});
        QCOMPARE(a.replaceStudents(t, "一班", {"张三", "李四"}), StoreResult::Done);
        QCOMPARE(a.replaceStudents(t, "二班", {"张三"}), StoreResult::Done);
        qint64 at = 1000;
        QCOMPARE(a.addScores(t, {line("一班", "张三", 1, ++at), line("二班", "张三", 1, ++at)}, 1).stored, 2);

        // Removed in the same process: refused, not stored for a student that is gone.
        QCOMPARE(a.replaceStudents(t, "一班", {"李四"}), StoreResult::Done);
        AddScoresResult r = a.addScores(t, {line("一班", "李四", 1, ++at), line("一班", "张三", 1, ++at)}, 1);
        QCOMPARE(int(r.result), int(StoreResult::NotFound));
        QCOMPARE(r.failedIndex, 1);

        // Renamed in the other process, and a new class of the old name: the new one's.
        QCOMPARE(b.renameClass(t, "二班", "丙班"), StoreResult::Done);
        b.replaceClasses(t, {"一班", "丙班", "二班"});
        QCOMPARE(b.replaceStudents(t, "二班", {"张三"}), StoreResult::Done);
        QCOMPARE(a.addScores(t, {line("二班", "张三", 4, ++at)}, 1).stored, 1);
        QCOMPARE(b.scoresOfStudent(t, "二班", "张三")->size(), 1);
        QCOMPARE(b.scoresOfStudent(t, "丙班", "张三")->size(), 1);

        // A refused upload and a repeated one leave the kept ids right for the next.
        QCOMPARE(int(a.addScores(t, {line("四班", "张三", 1, ++at)}, 1).result), int(StoreResult::NotFound));
        QCOMPARE(a.addScores(t, {line("二班", "张三", 4, at - 1)}, 1).stored, 0);
        QCOMPARE(b.replaceStudents(t, "二班", {"王五"}), StoreResult::Done);
        r = a.addScores(t, {line("二班", "张三", 2, ++at)}, 1);
        QCOMPARE(int(r.result), int(StoreResult::NotFound));
        QCOMPARE(a.addScores(t, {line("二班", "王五", 2, ++at)}, 1).stored, 1);
        const auto summaries = b.classSummaries(t);
        QCOMPARE(summaries.size(), 3);
        QCOMPARE(summaries[1].name, QStringLiteral("丙班"));
        QCOMPARE(summaries[1].scores, 1);
        QCOMPARE(summaries[2].scores, 1);
    }

    // More lines than one INSERT takes, with repeats inside the upload and of stored lines:
    // each line is stored once, in its own class.
    void longUploadStoredOnce_data()
    {
        QTest::addColumn<int>("lines");
        QTest::newRow("one") << 1;
        QTest::newRow("one statement full") << kRowsInOneInsert;
        QTest::newRow("two statements") << kRowsInOneInsert + 1;
        QTest::newRow("several") << 3 * kRowsInOneInsert + 7;
    }
    void longUploadStoredOnce()
    {
        QFETCH(int, lines);
        test::ServiceRig rig;
        QVERIFY(rig.service.addTeacher("long", "x", "login", "oper", "l@example.org"));
        const qint64 t = rig.store->teacherByAccount("long")->id;
        rig.store->replaceClasses(t, {"一班", "二班"});
        rig.store->replaceStudents(t, "一班", {"张三", "李四"});
        rig.store->replaceStudents(t, "二班", {"张三"});
        QList<ScoreRecord> upload;
        for (int i = 0; i < lines; ++i) {
            ScoreRecord s = line(i % 3 == 2 ? "二班" : "一班", i % 3 == 1 ? "李四" : "张三", i % 6, 5000 + i);
            s.note = i % 2 ? QStringLiteral("说明%1").arg(i) : QString();
            upload.append(s);
        }
        QList<ScoreRecord> withRepeats = upload;
        withRepeats.append(upload.mid(0, qMin(lines, 5))); // the same lines again, in one upload
        QCOMPARE(rig.store->addScores(t, withRepeats, 1).stored, lines);
        QCOMPARE(rig.store->addScores(t, upload, 2).stored, 0);
        upload.append(line("二班", "张三", 1, 99999));
        QCOMPARE(rig.store->addScores(t, upload, 3).stored, 1);
        const auto one = rig.store->scoresOfClass(t, "一班");
        const auto two = rig.store->scoresOfClass(t, "二班");
        QCOMPARE(one->size() + two->size(), lines + 1);
        for (const ScoreRecord &s : *two)
            QVERIFY2(s.time == 99999 || (s.time - 5000) % 3 == 2, qPrintable(QString::number(s.time)));
        for (const ScoreRecord &s : *one) {
            const qint64 i = s.time - 5000;
            QCOMPARE(s.note, i % 2 ? QStringLiteral("说明%1").arg(i) : QString());
            QCOMPARE(s.student, i % 3 == 1 ? QStringLiteral("李四") : QStringLiteral("张三"));
        }
    }

    // An upload after one stored line of 一班: what it answers, what it stores, which classes
    // it marks with its time (those it names, once one line is new), and whether the teacher's data version moves (only when a line
    // was stored: the pages kept by data version stay good otherwise).
    void uploadAnsweredAndCounted_data()
    {
        QTest::addColumn<QList<ScoreRecord>>("lines");
        QTest::addColumn<bool>("skipUnknown");
        QTest::addColumn<int>("stored");
        QTest::addColumn<int>("failedIndex"); // -1: Done
        QTest::addColumn<QList<int>>("skipped"); // indexes; negative: -(index + 1) of an unknown class
        QTest::addColumn<QStringList>("marked"); // classes whose last upload is the upload's
        const ScoreRecord old = line("一班", "张三", 1, 1000);
        const ScoreRecord fresh = line("二班", "李四", 2, 2000);
        const ScoreRecord noStudent = line("一班", "无名", 3, 3000);
        const ScoreRecord noClass = line("九班", "张三", 3, 3000);
        QTest::newRow("new and stored") << QList{old, fresh} << false << 1 << -1 << QList<int>{} << QStringList{"一班", "二班"};
        QTest::newRow("stored before") << QList{old, old} << false << 0 << -1 << QList<int>{} << QStringList{};
        QTest::newRow("unknown student") << QList{fresh, noStudent} << false << 0 << 1 << QList<int>{} << QStringList{};
        QTest::newRow("unknown class") << QList{noClass, fresh} << false << 0 << 0 << QList<int>{} << QStringList{};
        QTest::newRow("unknown ones skipped")
            << QList{noClass, fresh, noStudent} << true << 1 << -1 << QList<int>{-1, 2} << QStringList{"二班"};
        QTest::newRow("only unknown ones, skipped")
            << QList{noStudent, old} << true << 0 << -1 << QList<int>{0} << QStringList{};
    }
    void uploadAnsweredAndCounted()
    {
        QFETCH(QList<ScoreRecord>, lines);
        QFETCH(bool, skipUnknown);
        QFETCH(int, stored);
        QFETCH(int, failedIndex);
        QFETCH(QList<int>, skipped);
        QFETCH(QStringList, marked);
        test::ServiceRig rig;
        Store &store = *rig.store;
        QVERIFY(rig.service.addTeacher("once", "x", "login", "oper", "o@example.org"));
        const qint64 t = store.teacherByAccount("once")->id;
        store.replaceClasses(t, {"一班", "二班"});
        QCOMPARE(store.replaceStudents(t, "一班", {"张三"}), StoreResult::Done);
        QCOMPARE(store.replaceStudents(t, "二班", {"李四"}), StoreResult::Done);
        QCOMPARE(store.addScores(t, {line("一班", "张三", 1, 1000)}, 100).stored, 1);
        const qint64 version = store.teacherByAccount("once")->dataVersion;

        const AddScoresResult r =
            store.addScores(t, lines, 500, skipUnknown ? UnknownNames::Skip : UnknownNames::RefuseAll);
        QCOMPARE(int(r.result), int(failedIndex < 0 ? StoreResult::Done : StoreResult::NotFound));
        QCOMPARE(r.failedIndex, failedIndex);
        if (failedIndex >= 0)
            QCOMPARE(r.unknownClass, lines[failedIndex].className == u"九班");
        else
            QCOMPARE(r.stored, stored);
        QList<int> gotSkipped;
        for (const SkippedScore &s : r.skipped)
            gotSkipped.append(s.unknownClass ? -(s.index + 1) : s.index);
        QCOMPARE(gotSkipped, skipped);
        QCOMPARE(store.teacherByAccount("once")->dataVersion > version, stored > 0);
        int scores = 0;
        for (const ClassSummary &c : store.classSummaries(t)) {
            scores += c.scores;
            QCOMPARE(c.lastUpload, marked.contains(c.name) ? 500 : c.name == u"一班" ? 100 : 0);
        }
        QCOMPARE(scores, 1 + stored);
    }

    // Two lines that differ in one value of the line only are both stored, skipped when sent
    // again, and read back with their own values by every reader, for each column of the list:
    // a column added to the list but left out of the key or a reader fails here.
    void everyScoreColumnKeptApart_data()
    {
        QTest::addColumn<int>("column");
        for (const schema::ScoreColumn c : schema::scoreValueColumns())
            QTest::newRow(qPrintable(schema::columnName(c))) << int(c);
    }
    void everyScoreColumnKeptApart()
    {
        QFETCH(int, column);
        const auto c = schema::ScoreColumn(column);
        test::ServiceRig rig;
        Store &store = *rig.store;
        QVERIFY(rig.service.addTeacher("cols", "x", "login", "oper", "c@example.org"));
        const qint64 t = store.teacherByAccount("cols")->id;
        store.replaceClasses(t, {"一班"});
        store.replaceStudents(t, "一班", {"张三"});
        ScoreRecord a = line("一班", "张三", 2, 5000);
        a.note = QStringLiteral("说明");
        const ScoreRecord b = differing(a, c, 1);
        QCOMPARE(store.addScores(t, {a, b}, 1).stored, 2);
        QCOMPARE(store.addScores(t, {b, a}, 2).stored, 0);

        const auto readValues = [&](const QList<ScoreRecord> &read) {
            QList<QVariant> out;
            for (const ScoreRecord &r : read)
                out.append(SqlStore::scoreValue(r, c));
            std::sort(out.begin(), out.end(), [](const QVariant &x, const QVariant &y) {
                return QVariant::compare(x, y) == QPartialOrdering::Less;
            });
            return out;
        };
        const QList<QVariant> expected = readValues({a, b});
        QCOMPARE(readValues(*store.scoresOfClass(t, "一班")), expected);
        QCOMPARE(readValues(store.recentScores(t, 10)), expected);
        QCOMPARE(readValues(*store.scoresOfStudent(t, "一班", "张三")), expected);
        QCOMPARE(readValues(store.classReport(t, "一班", 10)->latest), expected);
        QCOMPARE(readValues(store.studentReport(t, "一班", "张三", 0, 10)->history), expected);

        // A correction onto the other line's values is refused; one to a third value is kept.
        ScoreRecord stored = store.scoresOfClass(t, "一班")->first();
        const ScoreRecord other = SqlStore::scoreValue(stored, c) == SqlStore::scoreValue(a, c) ? b : a;
        ScoreRecord onto = differing(stored, c, 0);
        SqlStore::setScoreValue(onto, c, SqlStore::scoreValue(other, c));
        QCOMPARE(store.editScore(t, onto), StoreResult::Duplicate);
        const ScoreRecord third = differing(stored, c, 2);
        QCOMPARE(store.editScore(t, third), StoreResult::Done);
        QVERIFY(readValues(*store.scoresOfClass(t, "一班")).contains(SqlStore::scoreValue(third, c)));
    }

private:
    static constexpr int kRowsInOneInsert = 64; // lines in one INSERT (SqlStore::kInsertRowsAtOnce)
};

QTEST_GUILESS_MAIN(TestServerStore)
#include "tst_ServerStore.moc"
