#include "core/TextEncoding.h"

#include "core/Windows1252.h"

#include <QStringDecoder>

#include <algorithm>

namespace {
constexpr QByteArrayView Utf8Bom("\xEF\xBB\xBF");
} // namespace

TextEncoding TextEncoding::of(QByteArrayView fileBytes)
{
    if (fileBytes.startsWith(Utf8Bom))
        return {true, true};
    if (std::all_of(fileBytes.begin(), fileBytes.end(),
                    [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
        return {};
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString decoded = decoder.decode(fileBytes); // decodes only when taken as a QString
    return {!decoder.hasError(), false};
}

QString TextEncoding::decodeFile(QByteArrayView fileBytes)
{
    const TextEncoding encoding = of(fileBytes);
    return encoding.decode(encoding.bom ? fileBytes.sliced(Utf8Bom.size()) : fileBytes);
}

QString TextEncoding::decode(QByteArrayView bytes) const
{
    return utf8 ? QString::fromUtf8(bytes) : Windows1252::decode(bytes);
}

QByteArray TextEncoding::encode(const QString &text) const
{
    return utf8 ? text.toUtf8() : Windows1252::encode(text);
}
