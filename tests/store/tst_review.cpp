#include "store/Capability.h"
#include "store/ResultStore.h"
#include "store/StoreReview.h"

#include <QTemporaryDir>
#include <QTest>
#include <cmath>

namespace {

// NaN stands for "–" (a figure that does not exist) and for an open side.
std::optional<double> given(double value)
{
    return std::isnan(value) ? std::nullopt : std::optional<double>(value);
}

void compareFigure(std::optional<double> actual, double expected, const char *name)
{
    if (std::isnan(expected)) {
        QVERIFY2(!actual, name);
        return;
    }
    QVERIFY2(actual, name);
    QVERIFY2(std::abs(*actual - expected) < 1e-6,
             qPrintable(QString("%1: %2 instead of %3").arg(name).arg(*actual, 0, 'g', 10).arg(expected)));
}

StoreRecord record(int i, const QString &type, double angle)
{
    StoreRecord record;
    record.time = QDateTime(QDate(2026, 3, 1), QTime(12, 0)).addDays(i);
    record.fields = QStringList{type,
                                QString::number(1000 + i),
                                "4",
                                "964",
                                "0,2",
                                "27,6",
                                "2,8",
                                "1,4",
                                "256",
                                record.time.toString("dd.MM.yyyy"),
                                record.time.toString("HH:mm:ss"),
                                "MK"};
    record.values.poleCount = 4;
    record.values.electricalAngle = angle;
    record.bench = "Bank 1";
    record.verdict = {angle > 16 ? "fail" : "pass", {}, {}};
    return record;
}

} // namespace

class TestReview : public QObject
{
    Q_OBJECT

private slots:
    void capabilityFigures_data();
    void capabilityFigures();
    void pagesInAnyOrder_data();
    void pagesInAnyOrder();
};

// The worked example, by hand. Values in time order 10, 12, 11, 13, 14:
//   n = 5, mean = 60 / 5 = 12
//   deviations -2, 0, -1, 1, 2; squares 4 + 0 + 1 + 1 + 4 = 10
//   overall sigma = sqrt(10 / 4) = 1.58113883
//   moving ranges 2, 1, 2, 1; mean 6 / 4 = 1.5; within sigma = 1.5 / 1.128 = 1.32978723
// Limits 6 .. 16:
//   Cp  = (16 - 6) / (6 * 1.5 / 1.128) = 10 * 1.128 / 9   = 1.25333333
//   CPU = (16 - 12) / (3 * 1.5 / 1.128) = 4 * 1.128 / 4.5 = 1.00266667
//   CPL = (12 - 6) / (3 * 1.5 / 1.128)  = 6 * 1.128 / 4.5 = 1.504
//   Cpk = min(CPU, CPL) = 1.00266667
//   Pp  = 10 / (6 * 1.58113883) = 1.05409255
//   PPU = 4 / (3 * 1.58113883) = 0.84327404; PPL = 6 / 4.74341649 = 1.26491106; Ppk = 0.84327404
// Only Max 16: Cpk = CPU, Ppk = PPU, no Cp, Pp. Only Min 6: Cpk = CPL, Ppk = PPL.
// Min = Max = 12 (an exact value): no index. One value 7: mean, min and max 7, nothing else.
void TestReview::capabilityFigures_data()
{
    QTest::addColumn<QList<double>>("values");
    QTest::addColumn<double>("lower");
    QTest::addColumn<double>("upper");
    QTest::addColumn<int>("sides");
    QTest::addColumn<double>("mean");
    QTest::addColumn<double>("deviation");
    QTest::addColumn<double>("cp");
    QTest::addColumn<double>("cpk");
    QTest::addColumn<double>("pp");
    QTest::addColumn<double>("ppk");
    const QList<double> example{10, 12, 11, 13, 14};
    const double none = qQNaN();
    using Sides = CapabilityFigures::Sides;
    QTest::newRow("two-sided") << example << 6.0 << 16.0 << int(Sides::Both) << 12.0 << 1.58113883
                               << 1.25333333 << 1.00266667 << 1.05409255 << 0.84327404;
    QTest::newRow("upper only") << example << none << 16.0 << int(Sides::UpperOnly) << 12.0 << 1.58113883
                                << none << 1.00266667 << none << 0.84327404;
    QTest::newRow("lower only") << example << 6.0 << none << int(Sides::LowerOnly) << 12.0 << 1.58113883
                                << none << 1.504 << none << 1.26491106;
    QTest::newRow("exact value") << example << 12.0 << 12.0 << int(Sides::Both) << 12.0 << 1.58113883 << none
                                 << none << none << none;
    QTest::newRow("no limits") << example << none << none << int(Sides::None) << 12.0 << 1.58113883 << none
                               << none << none << none;
    QTest::newRow("n < 2") << QList<double>{7} << 6.0 << 16.0 << int(Sides::Both) << 7.0 << none << none
                           << none << none << none;
    QTest::newRow("no spread") << QList<double>{9, 9, 9} << 6.0 << 16.0 << int(Sides::Both) << 9.0 << 0.0
                               << none << none << none << none;
    QTest::newRow("no values") << QList<double>{} << 6.0 << 16.0 << int(Sides::Both) << none << none << none
                               << none << none << none;
}

void TestReview::capabilityFigures()
{
    QFETCH(QList<double>, values);
    QFETCH(double, lower);
    QFETCH(double, upper);
    QFETCH(int, sides);
    const std::vector<double> inOrder(values.begin(), values.end());
    const CapabilityFigures figures = capability(inOrder, given(lower), given(upper));
    QCOMPARE(figures.n, int(values.size()));
    QCOMPARE(int(figures.sides), sides);
    QTEST(figures.mean.value_or(qQNaN()), "mean");
    if (!values.isEmpty()) {
        QCOMPARE(*figures.min, *std::min_element(values.begin(), values.end()));
        QCOMPARE(*figures.max, *std::max_element(values.begin(), values.end()));
    }
    QFETCH(double, deviation);
    QFETCH(double, cp);
    QFETCH(double, cpk);
    QFETCH(double, pp);
    QFETCH(double, ppk);
    compareFigure(figures.standardDeviation, deviation, "standard deviation");
    compareFigure(figures.cp, cp, "Cp");
    compareFigure(figures.cpk, cpk, "Cpk");
    compareFigure(figures.pp, pp, "Pp");
    compareFigure(figures.ppk, ppk, "Ppk");
}

// Pages fetched one after the other hold every record once, in the order
// asked for, whatever the column and however many records share its value.
void TestReview::pagesInAnyOrder_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<bool>("descending");
    QTest::addColumn<QString>("type");
    QTest::addColumn<QList<qint64>>("ids");
    // Record i has id i + 1; types alternate A1, B2; angles 10 + i % 3.
    QTest::newRow("newest first") << int(ReviewColumn::Time) << true << ""
                                  << QList<qint64>{7, 6, 5, 4, 3, 2, 1};
    QTest::newRow("angle, ties by id")
        << int(ReviewColumn::ElectricalAngle) << false << "" << QList<qint64>{1, 4, 7, 2, 5, 3, 6};
    QTest::newRow("type B2 oldest first")
        << int(ReviewColumn::Time) << false << "B2" << QList<qint64>{2, 4, 6};
}

void TestReview::pagesInAnyOrder()
{
    QFETCH(int, column);
    QFETCH(bool, descending);
    QFETCH(QString, type);
    QTemporaryDir dir;
    const QString path = dir.filePath("quoran.sqlite");
    StoreReview review(path);
    QCOMPARE(review.types().cause, QString("noch keine Messwerte gespeichert"));
    QVERIFY2(!QFile::exists(path), "the review made a store");
    {
        ResultStore store(path);
        for (int i = 0; i < 7; ++i)
            QVERIFY(store.save(record(i, i % 2 ? "B2" : "A1", 10 + i % 3)).stored);
    }
    QCOMPARE(review.types().value, QStringList({"A1", "B2"}));
    ReviewFilter filter;
    filter.type = type;
    QList<qint64> ids;
    for (qint64 offset = 0;; offset += 2) {
        const Fetched<QList<ReviewRow>> page =
            review.rows(filter, {ReviewColumn(column), descending}, offset, 2);
        QVERIFY2(page.ok(), qPrintable(page.cause));
        for (const ReviewRow &row : page.value)
            ids << row.id;
        if (page.value.size() < 2)
            break;
    }
    QTEST(ids, "ids");
    QCOMPARE(review.count(filter).value, ids.size());
}

QTEST_GUILESS_MAIN(TestReview)
#include "tst_review.moc"
