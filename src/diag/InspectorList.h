#pragma once

#include <QString>

class QTreeWidget;

// Appends one row to the list. Rows are added 1, 2, 3, ... to an emptied list.
void AddListItem(QTreeWidget *list, int zeile, const QString &datenfeld, const QString &bytes,
                 const QString &hex, const QString &dez, const QString &beschreibung);
