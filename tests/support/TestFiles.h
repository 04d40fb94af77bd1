#pragma once

#include <QByteArray>
#include <QString>

// Whole-file reads and writes for tests that compare files byte for byte.
[[nodiscard]] QByteArray contents(const QString &path);  // "<missing>" when it cannot be read
[[nodiscard]] QByteArray fileBytes(const QString &path); // empty when it cannot be read
bool writeFile(const QString &path, const QByteArray &bytes);
// Writes the file or ends the test program: the test cannot go on without it.
QString makeFile(const QString &path, const QByteArray &bytes);

// The header line of a new data file with the semicolon separator.
inline const QByteArray SemicolonHeader =
    "Typ;Nummer;Polzahl;Drehzahl;Spannungskonstante;Spannung (Phase-Phase);"
    "el. Winkel;mech. Winkel;Geberz\xe4hne;Datum;Zeit;Visum\r\n";
