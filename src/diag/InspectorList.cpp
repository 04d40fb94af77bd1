#include "diag/InspectorList.h"

#include "diag/InspectorRows.h"

#include <QTreeWidget>

void AddListItem(QTreeWidget *list, int zeile, const QString &datenfeld, const QString &bytes,
                 const QString &hex, const QString &dez, const QString &beschreibung)
{
    auto *item = new QTreeWidgetItem(list, QStringList{datenfeld});
    item->setData(0, Qt::UserRole, rowKey(zeile));
    item->setText(1, bytes);
    item->setText(2, hex);
    item->setText(3, dez);
    item->setText(4, beschreibung);
    // Cells follow their column's alignment ("Bytes" is centred).
    for (int column = 0; column < list->columnCount(); ++column) {
        if (const QVariant alignment = list->headerItem()->data(column, Qt::TextAlignmentRole);
            alignment.isValid())
            item->setData(column, Qt::TextAlignmentRole, alignment);
    }
}
