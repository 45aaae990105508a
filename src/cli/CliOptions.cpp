#include "cli/CliOptions.h"

namespace
{
bool TakeValue(const QStringList& arguments, int& i, const QString& strOption, QString& strValue, QString& strError)
{
    if (i + 1 >= arguments.size()) {
        strError = QStringLiteral("option %1 needs a value").arg(strOption);
        return false;
    }
    strValue = arguments.at(++i);
    return true;
}
} // namespace

QString CliUsage()
{
    return QStringLiteral("usage: quorvane-cli [--app-dir DIR] [--class I|II|V] [--ip ADDR] [--port N] [--user NAME]\n"
                          "                    [--password PW] [--censor|--no-censor] [--ipconfig|--no-ipconfig]\n"
                          "                    [--ping-host NAME] [--ping-ip ADDR] [--dump] [--trace]\n");
}

bool ParseCliOptions(const QStringList& arguments, CliOptions& options, QString& strError)
{
    for (int i = 0; i < arguments.size(); ++i) {
        QString strArg = arguments.at(i);
        QString strValue;
        // Accept --option=value as well as --option value.
        const int intEquals = static_cast<int>(strArg.indexOf(QLatin1Char('=')));
        bool blnInlineValue = false;
        if (strArg.startsWith(QStringLiteral("--")) && intEquals > 2) {
            strValue = strArg.mid(intEquals + 1);
            strArg = strArg.left(intEquals);
            blnInlineValue = true;
        }
        auto value = [&](QString& strOut) {
            if (blnInlineValue) {
                strOut = strValue;
                return true;
            }
            return TakeValue(arguments, i, strArg, strOut, strError);
        };
        auto flag = [&]() {
            if (blnInlineValue) {
                strError = QStringLiteral("option %1 takes no value").arg(strArg);
                return false;
            }
            return true;
        };

        QString strOut;
        if (strArg == QLatin1String("--app-dir")) {
            if (!value(options.strAppDir))
                return false;
        } else if (strArg == QLatin1String("--class")) {
            if (!value(strOut))
                return false;
            const QString strClass = strOut.toUpper();
            if (strClass == QLatin1String("I"))
                options.intClassIndex = 0;
            else if (strClass == QLatin1String("II"))
                options.intClassIndex = 1;
            else if (strClass == QLatin1String("V"))
                options.intClassIndex = 2;
            else {
                strError = QStringLiteral("option --class takes I, II or V, not \"%1\"").arg(strOut);
                return false;
            }
        } else if (strArg == QLatin1String("--ip")) {
            if (!value(strOut))
                return false;
            options.strAddress = strOut;
        } else if (strArg == QLatin1String("--port")) {
            if (!value(strOut))
                return false;
            options.strPort = strOut;
        } else if (strArg == QLatin1String("--user")) {
            if (!value(strOut))
                return false;
            options.strUser = strOut;
        } else if (strArg == QLatin1String("--password")) {
            if (!value(strOut))
                return false;
            options.strPassword = strOut;
        } else if (strArg == QLatin1String("--ping-host")) {
            if (!value(strOut))
                return false;
            options.strPingHost = strOut;
        } else if (strArg == QLatin1String("--ping-ip")) {
            if (!value(strOut))
                return false;
            options.strPingIP = strOut;
        } else if (strArg == QLatin1String("--censor") || strArg == QLatin1String("--no-censor")) {
            if (!flag())
                return false;
            options.intCensor = strArg == QLatin1String("--censor") ? 1 : 0;
        } else if (strArg == QLatin1String("--ipconfig") || strArg == QLatin1String("--no-ipconfig")) {
            if (!flag())
                return false;
            options.intIPConfig = strArg == QLatin1String("--ipconfig") ? 1 : 0;
        } else if (strArg == QLatin1String("--dump")) {
            if (!flag())
                return false;
            options.blnDump = true;
        } else if (strArg == QLatin1String("--trace")) {
            if (!flag())
                return false;
            options.blnTrace = true;
        } else if (strArg == QLatin1String("--help") || strArg == QLatin1String("-h")) {
            options.blnHelp = true;
        } else {
            strError = QStringLiteral("unknown option %1").arg(strArg);
            return false;
        }
    }
    return true;
}
