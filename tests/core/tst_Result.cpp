#include "core/Result.h"

#include <QTest>

using namespace corvanta;

namespace {

Expected<QString> readName(bool found)
{
    if (!found)
        return Result::failure(QStringLiteral("没有找到"));
    return QString(); // an empty name is still a name
}

} // namespace

class TestResult : public QObject
{
    Q_OBJECT

private slots:
    void failureWithoutTextIsStillAFailure()
    {
        QVERIFY(Result::success());
        QVERIFY(!Result::failure(QString()));
        QCOMPARE(Result::failure(QStringLiteral("磁盘已满")).error(), QStringLiteral("磁盘已满"));
        QVERIFY(!Expected<int>::failure(QString()));
    }

    void emptyValueIsSuccessAndFailureCarriesItsText()
    {
        const Expected<QString> found = readName(true);
        QVERIFY(found);
        QCOMPARE(found.value(), QString());
        QVERIFY(found.error().isEmpty());

        const Expected<QString> missing = readName(false);
        QVERIFY(!missing);
        QCOMPARE(missing.error(), QStringLiteral("没有找到"));
        QVERIFY(!missing.result());
        QCOMPARE(missing.valueOr(QStringLiteral("默认")), QStringLiteral("默认"));
    }
};

QTEST_GUILESS_MAIN(TestResult)
#include "tst_Result.moc"
