#include "review/Auswertung.h"
#include "review/CapabilityPanel.h"
#include "review/TrendChart.h"
#include "store/ResultStore.h"
#include "store/StoreReview.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QScatterSeries>
#include <QTableView>
#include <QTemporaryDir>
#include <QToolTip>
#include <QtTest>

namespace {

// Type A1 on 1..6 March 2026 at noon: el. Winkel 10, 12, 11, 13, 14 and 17
// (outside 6 .. 16), numbers 1001 .. 1005 and 2006. Type B2 on 7 and 8
// March: 11 and 13 against "at most 16".
struct Stored
{
    const char *type;
    const char *number;
    int day;
    double angle;
};
constexpr Stored Records[] = {
    {"A1", "1001", 1, 10}, {"A1", "1002", 2, 12}, {"A1", "1003", 3, 11}, {"A1", "1004", 4, 13},
    {"A1", "1005", 5, 14}, {"A1", "2006", 6, 17}, {"B2", "3001", 7, 11}, {"B2", "3002", 8, 13},
};

StoreRecord recordOf(const Stored &stored)
{
    StoreRecord record;
    record.time = QDateTime(QDate(2026, 3, stored.day), QTime(12, 0));
    record.fields = QStringList{stored.type,
                                stored.number,
                                "4",
                                "964",
                                "0,2",
                                "27,6",
                                QLocale(QLocale::German).toString(stored.angle),
                                "1,4",
                                "256",
                                record.time.toString("dd.MM.yyyy"),
                                record.time.toString("HH:mm:ss"),
                                "MK"};
    record.values.poleCount = 4;
    record.values.electricalAngle = stored.angle;
    record.verdict = {stored.angle > 16 ? "fail" : "pass", {}, {}};
    return record;
}

QString shown(const Auswertung &window, const char *name)
{
    const auto *label = window.findChild<QLabel *>(name);
    return label ? label->text() : QString("(missing %1)").arg(name);
}

} // namespace

class TestAuswertung : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void filterChartAndFigures_data();
    void filterChartAndFigures();
    void exportsReportAndPicture();

private:
    QTemporaryDir m_dir;
    QString m_store;
    QString m_limits;
};

void TestAuswertung::initTestCase()
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    m_store = m_dir.filePath("quoran.sqlite");
    ResultStore store(m_store);
    for (const Stored &stored : Records)
        QVERIFY(store.save(recordOf(stored)).stored);
    m_limits = m_dir.filePath("Grenzwerte.csv");
    QFile limits(m_limits);
    QVERIFY(limits.open(QIODevice::WriteOnly));
    limits.write("Typ;Wert;Min;Max\r\nA1;el. Winkel;6;16\r\nB2;el. Winkel;;16\r\n");
}

void TestAuswertung::filterChartAndFigures_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("number");
    QTest::addColumn<int>("fromDay"); // 0: no date
    QTest::addColumn<int>("verdict"); // index of alle, i.O., n.i.O.
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("linePoints");
    QTest::addColumn<int>("markers");
    // n, Mittelwert, Cpk caption, Cpk, Ppk, Cp
    QTest::addColumn<QStringList>("figures");

    // By hand, as in tst_review. A1 all: mean 77 / 6 = 12.833, squares 30.833, sigma 2.4833;
    // moving ranges 2 1 2 1 3, within 1.8 / 1.128 = 1.5957; Cp 10 / 9.5745 = 1.04,
    // Cpk 3.1667 / 4.7872 = 0.66, Ppk 3.1667 / 7.4498 = 0.43. A1 i.O.: the worked example.
    // From 4 March, 13 14 17: mean 14.667, within 2 / 1.128, Cp 10 / 10.638 = 0.94,
    // Cpk 1.3333 / 5.3191 = 0.25, sigma 2.0817, Ppk 1.3333 / 6.245 = 0.21.
    // B2, 11 13 below 16: within 2 / 1.128, CPU 4 / 5.3191 = 0.75, PPU 4 / 4.2426 = 0.94.
    QTest::newRow("A1") << "A1"
                        << "" << 0 << 0 << 6 << 6 << 1
                        << QStringList{"6", "12,833", "Cpk:", "0,66", "0,43", "1,04"};
    QTest::newRow("A1 i.O.") << "A1"
                             << "" << 0 << 1 << 5 << 5 << 0
                             << QStringList{"5", "12,000", "Cpk:", "1,00", "0,84", "1,25"};
    QTest::newRow("A1 number 200") << "A1"
                                   << "200" << 0 << 0 << 1 << 1 << 1
                                   << QStringList{"1", "17,000", "Cpk:", "–", "–", "–"};
    QTest::newRow("A1 from 4 March") << "A1"
                                     << "" << 4 << 0 << 3 << 3 << 1
                                     << QStringList{"3", "14,667", "Cpk:", "0,25", "0,21", "0,94"};
    QTest::newRow("B2 upper limit only")
        << "B2"
        << "" << 0 << 0 << 2 << 2 << 0 << QStringList{"2", "12,000", "Cpk (CPU):", "0,75", "0,94", "–"};
    QTest::newRow("all types: no chart")
        << ""
        << "" << 0 << 0 << 8 << 0 << 0 << QStringList{"–", "–", "Cpk:", "–", "–", "–"};
    QTest::newRow("n.i.O. of all types")
        << ""
        << "" << 0 << 2 << 1 << 0 << 0 << QStringList{"–", "–", "Cpk:", "–", "–", "–"};
}

void TestAuswertung::filterChartAndFigures()
{
    QFETCH(QString, type);
    QFETCH(QString, number);
    QFETCH(int, fromDay);
    QFETCH(int, verdict);
    QMdiArea area;
    auto *window = new Auswertung(std::make_unique<StoreReview>(m_store), m_limits);
    area.addSubWindow(window);
    area.resize(1200, 900);
    area.show();
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(&area));
    // Opened on the newest record's type.
    QCOMPARE(window->findChild<QComboBox *>("cmbTyp")->currentText(), QString("B2"));

    auto *types = window->findChild<QComboBox *>("cmbTyp");
    types->setCurrentIndex(types->findData(type));
    if (!number.isEmpty()) {
        auto *numberField = window->findChild<QLineEdit *>("txtNummer");
        numberField->setFocus();
        QTest::keyClicks(numberField, number);
        QTest::keyClick(numberField, Qt::Key_Return);
    }
    if (fromDay > 0) {
        window->findChild<QDateEdit *>("dtpVon")->setDate(QDate(2026, 3, fromDay));
        window->findChild<QCheckBox *>("chkVon")->setChecked(true);
    }
    window->findChild<QComboBox *>("cmbBewertung")->setCurrentIndex(verdict);

    QTEST(int(window->findChild<QTableView *>("tblMesswerte")->model()->rowCount()), "rows");
    const TrendChart *chart = window->chart();
    QTEST(int(chart->linePointCount()), "linePoints");
    QTEST(int(chart->markerCount()), "markers");
    if (chart->markerCount() == 1) {
        // The tool tip of the marker under the mouse, once the chart is laid out anew.
        QCoreApplication::processEvents();
        auto *markers = qobject_cast<QScatterSeries *>(chart->chart()->series().last());
        QVERIFY(markers);
        const QPoint at = chart->mapFromScene(chart->chart()->mapToPosition(markers->at(0), markers));
        QHelpEvent help(QEvent::ToolTip, at + QPoint(1, 1), chart->viewport()->mapToGlobal(at));
        QApplication::sendEvent(chart->viewport(), &help);
        QTRY_COMPARE(QToolTip::text(), QString("Typ A1, Nummer 2006, 06.03.2026 12:00:00, el. Winkel 17,0"));
    }
    QFETCH(QStringList, figures);
    const QStringList seen{shown(*window, "lblN"),
                           shown(*window, "lblMittelwert"),
                           window->figures()->lines().at(7).first + ':',
                           shown(*window, "lblCpk"),
                           shown(*window, "lblPpk"),
                           shown(*window, "lblCp")};
    QCOMPARE(seen, figures);
    const int n = figures.first() == "–" ? 0 : figures.first().toInt();
    QCOMPARE(shown(*window, "lblHinweis").isEmpty(), n == 0);
}

void TestAuswertung::exportsReportAndPicture()
{
    QMdiArea area;
    auto *window = new Auswertung(std::make_unique<StoreReview>(m_store), m_limits);
    area.addSubWindow(window);
    area.show();
    QVERIFY(QTest::qWaitForWindowExposed(&area));
    const QString pdf = m_dir.filePath("Bericht.pdf");
    const QString png = m_dir.filePath("Verlauf.png");
    QCOMPARE(window->exportPdf(pdf), QString());
    QCOMPARE(window->exportPng(png), QString());
    QFile report(pdf);
    QVERIFY(report.open(QIODevice::ReadOnly));
    QVERIFY(report.read(5) == "%PDF-");
    QVERIFY(!QImage(png).isNull());
    // A folder where the file should go is refused aloud, not reported as written.
    QVERIFY(QDir(m_dir.path()).mkdir("Ordner.pdf"));
    QVERIFY(!window->exportPdf(m_dir.filePath("Ordner.pdf")).isEmpty());
    QVERIFY(!window->exportPng(m_dir.filePath("Ordner.pdf")).isEmpty());
}

QTEST_MAIN(TestAuswertung)
#include "tst_auswertung.moc"
