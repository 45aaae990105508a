#include "cli/PageReader.h"

#include "browser/engine/BrowserEngine.h"
#include "cli/CliSession.h"
#include "config/CommandLine.h"
#include "run/RouterAddress.h"

#include <QEventLoop>

QUrl PageReadUrl(const QString& strUrl, const std::optional<QString>& strUser,
    const std::optional<QString>& strPassword, QString& strError)
{
    QUrl url(strUrl.trimmed(), QUrl::StrictMode);
    if (!url.isValid() || url.scheme().compare(QLatin1String("http"), Qt::CaseInsensitive) != 0
        || url.host().isEmpty()) {
        strError = QStringLiteral("Option '--read-page' takes an http address, not \"%1\".").arg(strUrl);
        return QUrl();
    }
    strError = CheckRouterAddress(url.host());
    if (strError.isEmpty() && url.port() != -1)
        strError = CheckRouterPort(QString::number(url.port()));
    if (!strError.isEmpty())
        return QUrl();
    if (strUser)
        url.setUserName(*strUser);
    if (strPassword)
        url.setPassword(*strPassword);
    return url;
}

int ReadPage(const CliOptions& options, const std::function<void(const QString&)>& outputSink,
    const std::function<void(const QString&)>& lineSink, const PasswordPromptFn& passwordPrompt)
{
    std::optional<QString> strPassword = options.strPassword;
    if (options.strUser && !strPassword)
        strPassword = RunPassword(std::nullopt, QString(), passwordPrompt);
    QString strError;
    const QUrl url = PageReadUrl(options.strReadPage.value_or(QString()), options.strUser, strPassword, strError);
    if (!strError.isEmpty()) {
        lineSink(CommandLine::UsageErrorLine(CliProgramName(), strError));
        return intExitUsage;
    }

    BrowserEngine engine;
    QEventLoop loop;
    // Frames complete before their frameset; the page is read when nothing is loading any more.
    engine.SetDocumentCompleteHandler([&](const QString&) {
        if (!engine.IsLoading())
            loop.quit();
    });
    engine.Navigate(url.toString());
    loop.exec();

    auto shown = [](QString strText) {
        if (!strText.isEmpty() && !strText.endsWith(QLatin1Char('\n')))
            strText += QStringLiteral("\r\n");
        return strText;
    };
    QString strShown = shown(options.blnHtml ? engine.BodyHtml() : engine.BodyText());
    // A frameset's own body holds little: each frame follows under a line that names it.
    for (int intFrame = 0; intFrame < engine.FrameCount(); ++intFrame) {
        strShown
            += QStringLiteral("--- frame %1: %2\r\n")
                   .arg(QString::number(intFrame + 1), QUrl(engine.FrameUrl(intFrame)).toString(QUrl::RemoveUserInfo));
        strShown += shown(options.blnHtml ? engine.FrameBodyHtml(intFrame) : engine.FrameBodyText(intFrame));
    }
    outputSink(strShown);
    const int intStatus = engine.PageStatus();
    if (intStatus >= 200 && intStatus < 300)
        return intExitFinished;
    // The address as given, never with the password.
    const QString strShownUrl = url.toString(QUrl::RemoveUserInfo);
    lineSink(intStatus == 0
            ? QStringLiteral("The page did not load: %1").arg(strShownUrl)
            : QStringLiteral("The page answered with HTTP status %1: %2").arg(QString::number(intStatus), strShownUrl));
    return intExitAbnormal;
}
