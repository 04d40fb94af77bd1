#include "store/ResultStore.h"
#include <QTest>
class TestResultStore : public QObject
{
    Q_OBJECT
};
QTEST_GUILESS_MAIN(TestResultStore)
#include "tst_resultstore.moc"
