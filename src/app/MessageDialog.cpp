#include "app/MessageDialog.h"

#include "config/AppInfo.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QQueue>
#include <QWidget>

namespace
{
struct AnswerState
{
    QQueue<int> queNext;
    MessageDialog::AnswerHandler handler;
    int intStanding = MessageDialog::NoButton;
    QList<MessageDialog::Record> shown;
    QQueue<QString> queFileNames;
    QStringList fileDialogs;
};

AnswerState& State()
{
    static AnswerState state;
    return state;
}

QMessageBox::Icon BoxIcon(MessageDialog::Icon icon)
{
    switch (icon) {
    case MessageDialog::Information:
        return QMessageBox::Information;
    case MessageDialog::Exclamation:
        return QMessageBox::Warning;
    case MessageDialog::NoIcon:
        break;
    }
    return QMessageBox::NoIcon;
}

// The button that stands for closing the box without choosing one.
int EscapeAnswer(int intButtons)
{
    if (intButtons & MessageDialog::No)
        return MessageDialog::No;
    if (intButtons & MessageDialog::Ok)
        return MessageDialog::Ok;
    return MessageDialog::Yes;
}

int ShowRealBox(const MessageDialog::Record& record)
{
    QString strShown = record.strText;
    strShown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QMessageBox box(BoxIcon(record.icon), record.strTitle, strShown, QMessageBox::NoButton, record.pParent);
    box.setTextFormat(Qt::PlainText);
    box.setWindowModality(Qt::ApplicationModal);
    QAbstractButton* pOk = nullptr;
    QAbstractButton* pYes = nullptr;
    if (record.intButtons & MessageDialog::Yes)
        pYes = box.addButton(QMessageBox::Yes);
    if (record.intButtons & MessageDialog::No)
        box.addButton(QMessageBox::No);
    if ((record.intButtons & MessageDialog::Ok) || !(record.intButtons & (MessageDialog::Yes | MessageDialog::No)))
        pOk = box.addButton(QMessageBox::Ok);
    box.exec();
    // The window the box stood over takes the keyboard back, so that its keys (Esc for a run under
    // way) work at once; on a desktop without a window manager nobody would give it back.
    if (record.pParent && record.pParent->window()->isVisible())
        record.pParent->window()->activateWindow();
    QAbstractButton* pClicked = box.clickedButton();
    if (pClicked && pClicked == pYes)
        return MessageDialog::Yes;
    if (pClicked && pClicked == pOk)
        return MessageDialog::Ok;
    return EscapeAnswer(record.intButtons);
}
} // namespace

QString MessageDialog::ApplicationTitle()
{
    return AppInfo::AppTitle();
}

int MessageDialog::Show(QWidget* pParent, Icon icon, const QString& strTitle, const QString& strText, int intButtons)
{
    if (intButtons == NoButton)
        intButtons = Ok;
    Record record;
    record.icon = icon;
    record.strTitle = strTitle.isEmpty() ? ApplicationTitle() : strTitle;
    record.strText = strText;
    record.intButtons = intButtons;
    record.pParent = pParent;
    record.blnParentVisible = pParent && pParent->isVisible();

    AnswerState& state = State();
    int intAnswer = NoButton;
    if (!state.queNext.isEmpty())
        intAnswer = state.queNext.dequeue();
    if (intAnswer == NoButton && state.handler)
        intAnswer = state.handler(record);
    if (intAnswer == NoButton)
        intAnswer = state.intStanding;
    // An answer the box does not offer would leave the caller with an impossible result.
    if (intAnswer != NoButton && !(intAnswer & intButtons))
        intAnswer = EscapeAnswer(intButtons);
    if (intAnswer == NoButton)
        intAnswer = ShowRealBox(record);

    record.intAnswer = intAnswer;
    state.shown.append(record);
    return intAnswer;
}

QString MessageDialog::AskSaveFileName(
    QWidget* pParent, const QString& strTitle, const QString& strSuggested, const QString& strFilter)
{
    AnswerState& state = State();
    state.fileDialogs.append(strSuggested);
    if (!state.queFileNames.isEmpty())
        return state.queFileNames.dequeue();
    const QString strFile = QFileDialog::getSaveFileName(pParent, strTitle, strSuggested, strFilter);
    // As after a message box, the window takes the keyboard back.
    if (pParent && pParent->window()->isVisible())
        pParent->window()->activateWindow();
    return strFile;
}

void MessageDialog::SetNextFileName(const QString& strFile)
{
    State().queFileNames.enqueue(strFile);
}

const QStringList& MessageDialog::FileDialogsShown()
{
    return State().fileDialogs;
}

void MessageDialog::SetNextAnswer(int intAnswer)
{
    State().queNext.enqueue(intAnswer);
}

void MessageDialog::SetAnswerHandler(AnswerHandler handler)
{
    State().handler = std::move(handler);
}

void MessageDialog::SetStandingAnswer(int intAnswer)
{
    State().intStanding = intAnswer;
}

void MessageDialog::ResetAnswers()
{
    AnswerState& state = State();
    state.queNext.clear();
    state.handler = nullptr;
    state.intStanding = NoButton;
    state.shown.clear();
    state.queFileNames.clear();
    state.fileDialogs.clear();
}

const QList<MessageDialog::Record>& MessageDialog::Shown()
{
    return State().shown;
}

void MessageDialog::ClearShown()
{
    State().shown.clear();
}
