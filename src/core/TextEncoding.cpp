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
    return {isUtf8(fileBytes), false};
}

bool TextEncoding::isUtf8(QByteArrayView bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString decoded = decoder.decode(bytes); // decodes only when taken as a QString
    return !decoder.hasError();
}

QString TextEncoding::decodeFile(QByteArrayView fileBytes)
{
    const TextEncoding encoding = of(fileBytes);
    if (!encoding.bom)
        return encoding.decode(fileBytes);
    const QByteArrayView text = fileBytes.sliced(Utf8Bom.size());
    return isUtf8(text) ? QString::fromUtf8(text) : Windows1252::decode(text);
}

QString TextEncoding::decode(QByteArrayView bytes) const
{
    return utf8 ? QString::fromUtf8(bytes) : Windows1252::decode(bytes);
}

QByteArray TextEncoding::encode(const QString &text) const
{
    return utf8 ? text.toUtf8() : Windows1252::encode(text);
}

bool TextEncoding::canHold(const QString &text) const
{
    return utf8 || Windows1252::canHold(text, Windows1252::Mapping::Exact);
}
