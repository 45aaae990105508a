// Shows the line history window over a data folder's history.sqlite, for screenshots of the
// documentation (scripts/history-screenshot.sh takes one under Xvfb). It only reads the store.
//
//   quorvane-historyshot <data folder> <class 1|2|3> <router address> [hour|day|week|all [shot.png]]
//
// With a file name it takes a picture of the screen once the window has been shown a while, saves
// it there and ends.
#include "config/PageTable.h"
#include "config/PageTrace.h"
#include "config/RouterProfile.h"
#include "history/view/HistoryWindow.h"

#include <QApplication>
#include <QPixmap>
#include <QRadioButton>
#include <QScreen>
#include <QTimer>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() < 4)
        return 2;
    RouterProfile profile;
    profile.intRouterClass = arguments.at(2).toInt();
    PageTable pages;
    PageTrace trace;
    const QString strAddress = arguments.at(3);
    HistoryWindow window({ arguments.at(1), &profile, &pages, &trace, [strAddress] {
                              return RouterLogin { QString(), QString(), strAddress, QStringLiteral("80") };
                          } });
    const QString strRange = arguments.size() > 4 ? arguments.at(4) : QStringLiteral("all");
    const QString strOption = strRange == QLatin1String("hour") ? QStringLiteral("optHour")
        : strRange == QLatin1String("day")                      ? QStringLiteral("optDay")
        : strRange == QLatin1String("week")                     ? QStringLiteral("optWeek")
                                                                : QStringLiteral("optAll");
    if (auto* option = window.findChild<QRadioButton*>(strOption))
        option->setChecked(true);
    window.move(0, 0);
    window.show();
    if (arguments.size() > 5) {
        const QString strShot = arguments.at(5);
        QTimer::singleShot(2500, &app, [&window, strShot] {
            const QPixmap shot
                = window.screen()->grabWindow(0, 0, 0, window.frameGeometry().width(), window.frameGeometry().height());
            QApplication::exit(shot.save(strShot, "PNG") ? 0 : 1);
        });
    }
    return QApplication::exec();
}
