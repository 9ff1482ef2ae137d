#include <QTest>
class TestFrmPswd : public QObject
{
    Q_OBJECT
};
QTEST_MAIN(TestFrmPswd)
#include "tst_frmPswd.moc"
