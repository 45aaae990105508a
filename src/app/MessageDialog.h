#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

class QWidget;

// Every message box of the window goes through here. A box is modal, carries an icon and a set of
// buttons, and is titled with the application's title when it gives no title of its own.
//
// Tests answer boxes instead of showing them: answers queued with SetNextAnswer are taken one per
// box, in order; an answer handler sees each box first and may answer it; a standing answer answers
// whatever is left. Only when none of these answers does a real box appear. Every box asked for is
// recorded, answered or not. File dialogs work the same way: SetNextFileName answers the next one
// (an empty name cancels it), and every one asked for is recorded with the name it suggested.
class MessageDialog
{
public:
    enum Icon { NoIcon, Information, Exclamation };

    enum Button { NoButton = 0, Ok = 1, Yes = 2, No = 4 };

    struct Record
    {
        Icon icon = NoIcon;
        QString strTitle;
        QString strText;
        int intButtons = Ok;
        int intAnswer = NoButton;
        QWidget* pParent = nullptr;
        bool blnParentVisible = false;
    };

    // Decides the answer to a box (NoButton lets the next way of answering decide).
    using AnswerHandler = std::function<int(const Record&)>;

    // Shows the box (or takes a test's answer) and returns the button that closed it. Line breaks
    // may be CR LF. A box closed without a button counts as its last button (No, or Ok).
    static int Show(QWidget* pParent, Icon icon, const QString& strTitle, const QString& strText, int intButtons = Ok);

    // Asks for the name of a file to write, starting at strSuggested; empty when cancelled.
    static QString AskSaveFileName(
        QWidget* pParent, const QString& strTitle, const QString& strSuggested, const QString& strFilter);
    static void SetNextFileName(const QString& strFile);
    static const QStringList& FileDialogsShown();

    static void SetNextAnswer(int intAnswer);
    static void SetAnswerHandler(AnswerHandler handler);
    static void SetStandingAnswer(int intAnswer);
    // Forgets queued answers and file names, the handler, the standing answer and the records.
    static void ResetAnswers();

    static const QList<Record>& Shown();
    static void ClearShown();

    // The title a box without a title of its own carries.
    static QString ApplicationTitle();
};
