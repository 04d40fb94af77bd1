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
    // The whole file's text in its own encoding, without the mark. A mark
    // before bytes that are no UTF-8 (an editor added it to a Windows-1252
    // file) leaves them Windows-1252, so no byte turns into U+FFFD.
    [[nodiscard]] static QString decodeFile(QByteArrayView fileBytes);
    [[nodiscard]] static bool isUtf8(QByteArrayView bytes);

    // Text in this encoding; the mark is the caller's business.
    [[nodiscard]] QString decode(QByteArrayView bytes) const;
    [[nodiscard]] QByteArray encode(const QString &text) const;
    // Whether encode() keeps every character of text.
    [[nodiscard]] bool canHold(const QString &text) const;
};
