// quorvane-cli: the diagnostic run (or the Class II data dump) without a window. The report goes
// to standard output exactly as the report box would show it; everything else to standard error.
#include "cli/CliOptions.h"
#include "cli/CliSession.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quorvane-cli"));

    auto writeError = [](const QString& strLine) {
        const QByteArray line = strLine.toUtf8() + '\n';
        std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), stderr);
        std::fflush(stderr);
    };

    CliOptions options;
    QString strError;
    if (!ParseCliOptions(QCoreApplication::arguments().mid(1), options, strError)) {
        writeError(QStringLiteral("quorvane-cli: ") + strError);
        return intExitUsage;
    }
    if (options.blnHelp) {
        const QByteArray usage = CliUsage().toUtf8();
        std::fwrite(usage.constData(), 1, static_cast<size_t>(usage.size()), stdout);
        return 0;
    }

    return RunCliSession(
        options,
        [](const QString& strReport) {
            const QByteArray report = strReport.toUtf8();
            std::fwrite(report.constData(), 1, static_cast<size_t>(report.size()), stdout);
            std::fflush(stdout);
        },
        writeError);
}
