#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// The encoding of a text file that an engineer may have saved with a Linux
// editor or a spreadsheet: a byte-order mark, or valid UTF-8 with at least
// one non-ASCII character, means UTF-8; everything else is Windows-1252.
struct TextEncoding
{
    bool utf8 = false;
    bool bom = false; // the file starts with the UTF-8 mark

    [[nodiscard]] static TextEncoding of(QByteArrayView fileBytes);
    // The whole file's text in its own encoding, without the mark.
    [[nodiscard]] static QString decodeFile(QByteArrayView fileBytes);

    // Text in this encoding; the mark is the caller's business.
    [[nodiscard]] QString decode(QByteArrayView bytes) const;
    [[nodiscard]] QByteArray encode(const QString &text) const;
};
