#include "SimOptions.h"

#include <QCommandLineParser>
#include <limits>
#include <type_traits>

namespace {

struct NumberOption
{
    const char *name;
    qint64 minimum;
    qint64 maximum;
};

// Decimal, or hexadecimal with 0x; 16- and 32-bit signed fields also take
// their unsigned spelling (0xFFE2 for -30) so byte patterns are easy to give.
std::optional<qint64> parseNumber(const QString &text, qint64 minimum, qint64 maximum)
{
    bool ok = false;
    qint64 value = 0;
    if (text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        value = text.mid(2).toLongLong(&ok, 16);
    else
        value = text.toLongLong(&ok, 10);
    if (!ok || value < minimum || value > maximum)
        return std::nullopt;
    return value;
}

constexpr qint64 Int16Min = std::numeric_limits<qint16>::min();
constexpr qint64 UInt16Max = std::numeric_limits<quint16>::max();
constexpr qint64 Int32Min = std::numeric_limits<qint32>::min();
constexpr qint64 UInt32Max = std::numeric_limits<quint32>::max();

} // namespace

QString simUsage()
{
    return QStringLiteral(
        "Usage: quoran-sim [options]\n"
        "Simulates the rotor-position instrument: for every blank (0x20) received it\n"
        "answers one measurement frame. Without --device it creates a pseudo-terminal\n"
        "and prints the path of its slave side on stdout (one line); point the\n"
        "program at it, e.g. with Com1=<path> in the section [Schnittstellen].\n"
        "\n"
        "Line:\n"
        "  --link PATH         also make a symbolic link PATH to the pty (removed on exit)\n"
        "  --device PATH       serve this serial device instead (9600 8N1 raw)\n"
        "\n"
        "Frame fields (raw units; default: the demo frame):\n"
        "  --poles N           pole count, 0..255 (4)\n"
        "  --period N          period in ms, 0..65535 (249)\n"
        "  --kv N              voltage constant in 0.01 V/krpm (28)\n"
        "  --voltage N         voltage in 0.1 V (276)\n"
        "  --el-angle N        electrical angle in 0.1 degree (28)\n"
        "  --mech-angle N      mechanical angle in 0.1 degree (14)\n"
        "  --teeth N           encoder teeth (256)\n"
        "  --offset-u N, --offset-v N, --offset-w N   offsets (1, 86, 43)\n"
        "  --raw \"02 04 ...\"   send these bytes instead of a built frame\n"
        "  Numbers are decimal or 0x hexadecimal; 16/32-bit fields take either\n"
        "  signed or unsigned spelling (-30 or 0xFFE2).\n"
        "\n"
        "Faults:\n"
        "  --silent            never answer (instrument not in data-hold mode)\n"
        "  --late MS           answer MS milliseconds after the request\n"
        "  --bad-start         wrong start byte\n"
        "  --bad-end           wrong end byte\n"
        "  --bad-checksum      wrong checksum\n"
        "  --short N           send only the first N bytes of the answer\n"
        "  --long N            pad the answer to N bytes with a counting pattern\n"
        "  --paced             space the bytes by the 9600-baud byte time (~1.04 ms)\n"
        "  --hang-up           on a request, close the line and end\n"
        "\n"
        "Other:\n"
        "  --quiet             no log on stderr (requests and answers are logged)\n"
        "  --help              this text\n"
        "\n"
        "Ends on SIGINT or SIGTERM with status 0.\n");
}

SimParseResult parseSimCommandLine(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const auto valueOption = [&](const char *name) {
        parser.addOption(QCommandLineOption(QString::fromLatin1(name), QString(), QStringLiteral("value")));
    };
    const auto flagOption = [&](const char *name) {
        parser.addOption(QCommandLineOption(QString::fromLatin1(name)));
    };
    const NumberOption fieldOptions[] = {
        {"poles", 0, 255},
        {"period", 0, UInt16Max},
        {"kv", Int32Min, UInt32Max},
        {"voltage", Int32Min, UInt32Max},
        {"el-angle", Int16Min, UInt16Max},
        {"mech-angle", Int16Min, UInt16Max},
        {"teeth", Int16Min, UInt16Max},
        {"offset-u", Int16Min, UInt16Max},
        {"offset-v", Int16Min, UInt16Max},
        {"offset-w", Int16Min, UInt16Max},
    };
    for (const NumberOption &option : fieldOptions)
        valueOption(option.name);
    for (const char *name : {"link", "device", "raw", "late", "short", "long"})
        valueOption(name);
    for (const char *name :
         {"silent", "bad-start", "bad-end", "bad-checksum", "paced", "hang-up", "quiet", "help"})
        flagOption(name);

    SimParseResult result;
    if (!parser.parse(arguments)) {
        result.error = parser.errorText();
        return result;
    }
    if (!parser.positionalArguments().isEmpty()) {
        result.error =
            QStringLiteral("Unexpected argument: %1").arg(parser.positionalArguments().constFirst());
        return result;
    }

    SimCommandLine commandLine;
    commandLine.help = parser.isSet(QStringLiteral("help"));
    commandLine.quiet = parser.isSet(QStringLiteral("quiet"));
    commandLine.linkPath = parser.value(QStringLiteral("link"));
    commandLine.devicePath = parser.value(QStringLiteral("device"));
    if (!commandLine.linkPath.isEmpty() && !commandLine.devicePath.isEmpty()) {
        result.error = QStringLiteral("--link and --device exclude each other");
        return result;
    }

    const auto number = [&](const char *name, qint64 minimum, qint64 maximum) -> std::optional<qint64> {
        const QString text = parser.value(QString::fromLatin1(name));
        const std::optional<qint64> value = parseNumber(text, minimum, maximum);
        if (!value)
            result.error = QStringLiteral("Invalid value for --%1: %2 (allowed %3..%4)")
                               .arg(QLatin1String(name), text)
                               .arg(minimum)
                               .arg(maximum);
        return value;
    };

    SimMode &mode = commandLine.mode;
    const auto field = [&](const char *name, auto &target) -> bool {
        if (!parser.isSet(QString::fromLatin1(name)))
            return true;
        for (const NumberOption &option : fieldOptions) {
            if (qstrcmp(option.name, name) != 0)
                continue;
            const std::optional<qint64> value = number(name, option.minimum, option.maximum);
            if (!value)
                return false;
            // Two's complement wrap, so 0xFFE2 and -30 give the same bytes.
            using Target = std::remove_reference_t<decltype(target)>;
            target = static_cast<Target>(static_cast<std::make_unsigned_t<Target>>(*value));
            return true;
        }
        return false;
    };
    if (!field("poles", mode.fields.poles) || !field("period", mode.fields.period) ||
        !field("kv", mode.fields.kv) || !field("voltage", mode.fields.voltage) ||
        !field("el-angle", mode.fields.elAngle) || !field("mech-angle", mode.fields.mechAngle) ||
        !field("teeth", mode.fields.teeth) || !field("offset-u", mode.fields.offsetU) ||
        !field("offset-v", mode.fields.offsetV) || !field("offset-w", mode.fields.offsetW))
        return result;

    if (parser.isSet(QStringLiteral("raw"))) {
        mode.raw = SimFrame::parseHex(parser.value(QStringLiteral("raw")));
        if (!mode.raw) {
            result.error = QStringLiteral("Invalid --raw bytes: %1").arg(parser.value(QStringLiteral("raw")));
            return result;
        }
    }
    if (parser.isSet(QStringLiteral("late"))) {
        const std::optional<qint64> value = number("late", 0, 60'000);
        if (!value)
            return result;
        mode.lateMs = static_cast<int>(*value);
    }
    if (parser.isSet(QStringLiteral("short"))) {
        const std::optional<qint64> value = number("short", 0, 4'096);
        if (!value)
            return result;
        mode.shortLength = static_cast<int>(*value);
    }
    if (parser.isSet(QStringLiteral("long"))) {
        const std::optional<qint64> value = number("long", SimFrame::Length + 1, 4'096);
        if (!value)
            return result;
        mode.longLength = static_cast<int>(*value);
    }
    mode.silent = parser.isSet(QStringLiteral("silent"));
    mode.badStart = parser.isSet(QStringLiteral("bad-start"));
    mode.badEnd = parser.isSet(QStringLiteral("bad-end"));
    mode.badChecksum = parser.isSet(QStringLiteral("bad-checksum"));
    mode.paced = parser.isSet(QStringLiteral("paced"));
    mode.hangUp = parser.isSet(QStringLiteral("hang-up"));

    result.commandLine = commandLine;
    return result;
}
