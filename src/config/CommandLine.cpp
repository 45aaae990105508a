#include "config/CommandLine.h"

#include "config/AppInfo.h"

#include <QCommandLineParser>
#include <cstdio>
#ifdef Q_OS_WIN
#include <fcntl.h>
#include <io.h>
#endif

namespace
{
void Write(std::FILE* stream, const QString& strText)
{
#ifdef Q_OS_WIN
    // The text goes out byte for byte, as on the other systems: a text-mode stream would put a CR
    // before every LF, so the report's CR LF lines would end in CR CR LF.
    ::_setmode(::_fileno(stream), _O_BINARY);
#endif
    const QByteArray bytes = strText.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stream);
    std::fflush(stream);
}
} // namespace

QString CommandLine::Parse(QCommandLineParser& parser, const QStringList& arguments)
{
    if (!parser.parse(arguments))
        return parser.errorText();
    if (!parser.positionalArguments().isEmpty())
        return QStringLiteral("Unexpected argument '%1'.").arg(parser.positionalArguments().constFirst());
    return QString();
}

QString CommandLine::VersionLine(const QString& strProgram)
{
    return strProgram + QLatin1Char(' ') + AppInfo::VersionText() + QLatin1Char('\n');
}

QString CommandLine::HelpText(const QCommandLineParser& parser, const QString& strProgram, const QString& strEpilogue)
{
    QString strHelp = parser.helpText();
    // The first line reads "Usage: <the path the program was started by> [options]".
    const QString strUsage = QStringLiteral("Usage: ");
    const qsizetype lngLineEnd = strHelp.indexOf(QLatin1Char('\n'));
    if (strHelp.startsWith(strUsage) && lngLineEnd > 0) {
        const qsizetype lngOptions = strHelp.indexOf(QStringLiteral(" ["), strUsage.size());
        const qsizetype lngNameEnd = lngOptions > 0 && lngOptions < lngLineEnd ? lngOptions : lngLineEnd;
        strHelp.replace(strUsage.size(), lngNameEnd - strUsage.size(), strProgram);
    }
    if (!strEpilogue.isEmpty())
        strHelp += QLatin1Char('\n') + strEpilogue;
    return strHelp;
}

QString CommandLine::UsageErrorLine(const QString& strProgram, const QString& strError)
{
    QString strLine = strError.trimmed();
    strLine.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return strProgram + QStringLiteral(": ") + strLine + QStringLiteral(" See ") + strProgram
        + QStringLiteral(" --help.");
}

void CommandLine::WriteOut(const QString& strText)
{
    Write(stdout, strText);
}

void CommandLine::WriteErr(const QString& strText)
{
    Write(stderr, strText);
}
