#include "app/MessageDialog.h"
#include "support/TestRegistry.h"

#include <QTest>
#include <QWidget>

// The one way the window asks the user something: answers queued by a test are taken in order,
// then the handler, then the standing answer; whatever is asked is recorded.
class TestMessageDialog : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { MessageDialog::ResetAnswers(); }
    void cleanup() { MessageDialog::ResetAnswers(); }

    void queuedAnswersAreTakenOneBoxAtATimeBeforeTheStandingAnswer()
    {
        MessageDialog::SetStandingAnswer(MessageDialog::Ok);
        MessageDialog::SetNextAnswer(MessageDialog::Yes);
        MessageDialog::SetNextAnswer(MessageDialog::No);
        const int intYesNo = MessageDialog::Yes | MessageDialog::No;
        QCOMPARE(
            MessageDialog::Show(nullptr, MessageDialog::NoIcon, QStringLiteral("t"), QStringLiteral("a"), intYesNo),
            int(MessageDialog::Yes));
        QCOMPARE(
            MessageDialog::Show(nullptr, MessageDialog::NoIcon, QStringLiteral("t"), QStringLiteral("b"), intYesNo),
            int(MessageDialog::No));
        QCOMPARE(MessageDialog::Show(nullptr, MessageDialog::Information, QString(), QStringLiteral("c")),
            int(MessageDialog::Ok));
        QCOMPARE(MessageDialog::Shown().size(), 3);
        QCOMPARE(MessageDialog::Shown().at(1).strText, QStringLiteral("b"));
        QCOMPARE(MessageDialog::Shown().at(1).intAnswer, int(MessageDialog::No));
    }

    void anAnswerTheBoxDoesNotOfferBecomesItsEscapeButton()
    {
        // Ok to a Yes/No box would leave the caller with an answer it never handles.
        MessageDialog::SetNextAnswer(MessageDialog::Ok);
        QCOMPARE(MessageDialog::Show(nullptr, MessageDialog::NoIcon, QStringLiteral("t"), QStringLiteral("x"),
                     MessageDialog::Yes | MessageDialog::No),
            int(MessageDialog::No));
        MessageDialog::SetNextAnswer(MessageDialog::Yes);
        QCOMPARE(MessageDialog::Show(nullptr, MessageDialog::Exclamation, QString(), QStringLiteral("y")),
            int(MessageDialog::Ok));
    }

    void handlerSeesTheBoxAsShownAndMayLeaveItToTheStandingAnswer()
    {
        QWidget parent;
        QList<MessageDialog::Record> seen;
        MessageDialog::SetAnswerHandler([&seen](const MessageDialog::Record& record) {
            seen.append(record);
            return record.strText == QLatin1String("yes please") ? int(MessageDialog::Yes)
                                                                 : int(MessageDialog::NoButton);
        });
        MessageDialog::SetStandingAnswer(MessageDialog::No);
        const int intYesNo = MessageDialog::Yes | MessageDialog::No;
        QCOMPARE(MessageDialog::Show(&parent, MessageDialog::NoIcon, QString(), QStringLiteral("yes please"), intYesNo),
            int(MessageDialog::Yes));
        QCOMPARE(MessageDialog::Show(&parent, MessageDialog::NoIcon, QString(), QStringLiteral("other"), intYesNo),
            int(MessageDialog::No));
        QCOMPARE(seen.size(), 2);
        QCOMPARE(seen.at(0).pParent, &parent);
        QVERIFY(!seen.at(0).blnParentVisible);
        // A box without a title of its own carries the application's title.
        QCOMPARE(seen.at(0).strTitle, QStringLiteral("Quorvane"));
        QCOMPARE(seen.at(0).intButtons, intYesNo);
    }

    void resetForgetsEverything()
    {
        MessageDialog::SetNextAnswer(MessageDialog::Yes);
        MessageDialog::SetNextAnswer(MessageDialog::Yes);
        MessageDialog::SetStandingAnswer(MessageDialog::Yes);
        MessageDialog::Show(nullptr, MessageDialog::Information, QString(), QStringLiteral("x"));
        MessageDialog::ResetAnswers();
        QVERIFY(MessageDialog::Shown().isEmpty());
        // The second queued Yes and the standing Yes are gone: the new answer decides.
        MessageDialog::SetNextAnswer(MessageDialog::No);
        QCOMPARE(MessageDialog::Show(nullptr, MessageDialog::NoIcon, QString(), QStringLiteral("y"),
                     MessageDialog::Yes | MessageDialog::No),
            int(MessageDialog::No));
        QCOMPARE(MessageDialog::Shown().size(), 1);
    }
};

QUORVANE_REGISTER_TEST(TestMessageDialog)
#include "TestMessageDialog.moc"
