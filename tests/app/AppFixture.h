#pragma once

#include "app/Form1.h"
#include "app/MessageDialog.h"

#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>

// A window of the tool in an application folder of its own, pinging only the loopback host,
// with an opener that records instead of starting a browser.
class AppFixture
{
public:
    AppFixture() { MessageDialog::ResetAnswers(); }
    ~AppFixture()
    {
        form.reset();
        MessageDialog::ResetAnswers();
    }

    QString Folder() const { return dirApp.path() + QLatin1Char('/'); }
    QString FilePath(const QString& strName) const { return dirApp.filePath(strName); }

    bool WriteFile(const QString& strName, const QByteArray& bytContent, bool blnExecutable = false) const
    {
        QFile file(FilePath(strName));
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return false;
        const bool blnWritten = file.write(bytContent) == bytContent.size();
        file.close();
        if (blnExecutable)
            file.setPermissions(file.permissions() | QFileDevice::ExeOwner | QFileDevice::ExeUser);
        return blnWritten;
    }

    Form1Setup Setup()
    {
        Form1Setup setup;
        setup.strAppFolder = dirApp.path();
        setup.defaults.strPingIP = QStringLiteral("127.0.0.1");
        setup.defaults.strPingHost = QStringLiteral("localhost");
        QStringList* pOpened = &opened;
        setup.opener = [pOpened](const QString& strAddress) { pOpened->append(strAddress); };
        setup.clock = clock;
        return setup;
    }

    // Builds the window; its start-up message is answered with Ok unless the test queued more.
    Form1& Open()
    {
        MessageDialog::SetStandingAnswer(MessageDialog::Ok);
        form = std::make_unique<Form1>(Setup());
        return *form;
    }

    template <typename T> T* Find(const char* strName) const { return form->findChild<T*>(QLatin1String(strName)); }

    QTemporaryDir dirApp;
    QStringList opened;
    // The runs' clock; the system's when empty.
    std::function<QDateTime()> clock;
    std::unique_ptr<Form1> form;
};
