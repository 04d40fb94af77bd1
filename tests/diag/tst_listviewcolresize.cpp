// Column widths of a list in report view, on a real tree widget.

#include "diag/ListviewColResize.h"

#include <QHeaderView>
#include <QTest>
#include <QTreeWidget>

namespace {

// A shown list: column widths depend on the real viewport.
struct ShownList
{
    QTreeWidget list;

    explicit ShownList(int width = 600, bool withRows = true)
    {
        list.setRootIsDecorated(false);
        list.setHeaderLabels({"A rather long header", "B", "C", "D"});
        if (withRows) {
            new QTreeWidgetItem(&list, {"x", "a cell far wider than its header", "cc", "last cell"});
            new QTreeWidgetItem(&list, {"y", "b", "a wider third cell", "d"});
        }
        list.resize(width, 300);
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        // Widths that no sizing would give by chance.
        for (int index = 0; index < list.columnCount(); ++index)
            list.header()->resizeSection(index, 33 + index);
        list.header()->setStretchLastSection(false);
    }

    [[nodiscard]] QList<int> widths() const
    {
        QList<int> result;
        for (int index = 0; index < list.columnCount(); ++index)
            result << list.header()->sectionSize(index);
        return result;
    }

    [[nodiscard]] int textWidth(const QString &text) const
    {
        return list.fontMetrics().horizontalAdvance(text);
    }
    [[nodiscard]] int headerTextWidth(int index) const
    {
        return list.header()->fontMetrics().horizontalAdvance(list.headerItem()->text(index));
    }
    [[nodiscard]] int widestCellText(int index) const
    {
        int widest = 0;
        for (int row = 0; row < list.topLevelItemCount(); ++row)
            widest = std::max(widest, textWidth(list.topLevelItem(row)->text(index)));
        return widest;
    }
};

} // namespace

class TestListviewColResize : public QObject
{
    Q_OBJECT

private slots:
    void notReportViewKeepsWidths();
    void columnOutsideRangeChangesNothing_data();
    void columnOutsideRangeChangesNothing();
    void useHeaderFitsHeaderAndCells();
    void useHeaderStretchesLastColumn();
    void useHeaderLastColumnNeverBelowItsText();
    void noRowsGivesHeaderWidths();
    void autoSizeFitsCellsOnly();
    void pixelWidth();
    void resizeColumnTouchesOnlyItsColumn();
};

void TestListviewColResize::notReportViewKeepsWidths()
{
    ShownList shown;
    shown.list.setHeaderHidden(true);
    const QList<int> before = shown.widths();
    ResizeAllColumns(&shown.list, ColumnWidth::AutoSizeUseHeader);
    ResizeColumn(&shown.list, 2, 200);
    QCOMPARE(shown.widths(), before);
    QVERIFY(!shown.list.header()->stretchLastSection());
}

void TestListviewColResize::columnOutsideRangeChangesNothing_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("sizing");
    QTest::newRow("0, -2") << 0 << -2;
    QTest::newRow("0, 120") << 0 << 120;
    QTest::newRow("count + 1, -2") << 5 << -2;
    QTest::newRow("count + 1, -1") << 5 << -1;
    QTest::newRow("-1, 120") << -1 << 120;
}

void TestListviewColResize::columnOutsideRangeChangesNothing()
{
    QFETCH(int, column);
    QFETCH(int, sizing);
    ShownList shown;
    const QList<int> before = shown.widths();
    ResizeColumn(&shown.list, column, sizing);
    QCOMPARE(shown.widths(), before);
    QVERIFY(!shown.list.header()->stretchLastSection());
}

void TestListviewColResize::useHeaderFitsHeaderAndCells()
{
    ShownList shown;
    ResizeAllColumns(&shown.list, ColumnWidth::AutoSizeUseHeader);
    for (int index = 0; index < shown.list.columnCount(); ++index) {
        const int width = shown.list.header()->sectionSize(index);
        QVERIFY2(width >= shown.headerTextWidth(index), qPrintable(QString::number(index)));
        QVERIFY2(width >= shown.widestCellText(index), qPrintable(QString::number(index)));
    }
    // Not simply wide: the first column follows its header, the second its cell.
    QVERIFY(shown.list.header()->sectionSize(0) < shown.headerTextWidth(0) + 40);
    QVERIFY(shown.list.header()->sectionSize(1) < shown.widestCellText(1) + 40);
}

void TestListviewColResize::useHeaderStretchesLastColumn()
{
    ShownList shown(900);
    ResizeAllColumns(&shown.list, ColumnWidth::AutoSizeUseHeader);
    QHeaderView *header = shown.list.header();
    QVERIFY(header->stretchLastSection());
    const int last = shown.list.columnCount() - 1;
    // The last column reaches the right edge of the list.
    QCOMPARE(header->sectionPosition(last) + header->sectionSize(last), shown.list.viewport()->width());
    QVERIFY(header->sectionSize(last) > shown.widestCellText(last) + 100);
}

void TestListviewColResize::useHeaderLastColumnNeverBelowItsText()
{
    // Too narrow for all columns: the last one keeps its text and the list scrolls.
    ShownList shown(250);
    ResizeAllColumns(&shown.list, ColumnWidth::AutoSizeUseHeader);
    const int last = shown.list.columnCount() - 1;
    QVERIFY(shown.list.header()->sectionSize(last) >= shown.widestCellText(last));
    QVERIFY(shown.list.header()->sectionSize(last) >= shown.headerTextWidth(last));
}

void TestListviewColResize::noRowsGivesHeaderWidths()
{
    ShownList shown(600, false);
    ResizeAllColumns(&shown.list, ColumnWidth::AutoSizeUseHeader);
    QHeaderView *header = shown.list.header();
    for (int index = 0; index < shown.list.columnCount() - 1; ++index) {
        QVERIFY(header->sectionSize(index) >= shown.headerTextWidth(index));
        QCOMPARE(header->sectionSize(index), header->sectionSizeHint(index));
    }
    QVERIFY(header->stretchLastSection());
}

void TestListviewColResize::autoSizeFitsCellsOnly()
{
    ShownList shown;
    ResizeAllColumns(&shown.list, ColumnWidth::AutoSize);
    QHeaderView *header = shown.list.header();
    // The first column's cells are short; its long header does not count.
    QVERIFY(header->sectionSize(0) < shown.headerTextWidth(0));
    QVERIFY(header->sectionSize(1) >= shown.widestCellText(1));
    QVERIFY(!header->stretchLastSection());
    const int last = shown.list.columnCount() - 1;
    QVERIFY(header->sectionSize(last) >= shown.widestCellText(last));
    QVERIFY(header->sectionSize(last) < shown.widestCellText(last) + 40);
}

void TestListviewColResize::pixelWidth()
{
    ShownList shown;
    ResizeAllColumns(&shown.list, ColumnWidth::AutoSizeUseHeader);
    ResizeAllColumns(&shown.list, 77);
    QCOMPARE(shown.widths(), (QList<int>{77, 77, 77, 77}));
    QVERIFY(!shown.list.header()->stretchLastSection());
}

void TestListviewColResize::resizeColumnTouchesOnlyItsColumn()
{
    ShownList shown;
    ResizeColumn(&shown.list, 2, 150);
    QCOMPARE(shown.widths(), (QList<int>{33, 150, 35, 36}));
    ResizeColumn(&shown.list, 4, 61);
    QCOMPARE(shown.widths(), (QList<int>{33, 150, 35, 61}));
}

QTEST_MAIN(TestListviewColResize)
#include "tst_listviewcolresize.moc"
