#pragma once

#include <QStringList>

class QWidget;

// "Datei → Datendatei importieren…": data files the operator chooses read
// into the results store, the report in a message box.
namespace ImportCommand {
// The chooser, then the import of the chosen files.
void run(QWidget *parent);
// The import of files alone, numbers in the settings' regional format and
// lines without a verdict judged against today's limits.
void importFiles(const QStringList &files, QWidget *parent);
} // namespace ImportCommand
