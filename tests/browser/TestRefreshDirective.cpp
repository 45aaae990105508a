#include "browser/engine/RefreshDirective.h"
#include "support/TestRegistry.h"

#include <QTest>

class TestRefreshDirective : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void ParsesRefreshValues_data();
    void ParsesRefreshValues();
};

void TestRefreshDirective::ParsesRefreshValues_data()
{
    QTest::addColumn<QString>("strContent");
    QTest::addColumn<bool>("blnValid");
    QTest::addColumn<int>("intDelay");
    QTest::addColumn<QString>("strUrl");

    QTest::newRow("delay only") << "5" << true << 5 << "";
    QTest::newRow("zero with url") << "0; url=/diag.htm" << true << 0 << "/diag.htm";
    QTest::newRow("upper case, quoted") << "3;URL='status.htm?x=1'" << true << 3 << "status.htm?x=1";
    QTest::newRow("comma and blanks") << "  10 , url = next.htm  " << true << 10 << "next.htm";
    QTest::newRow("no url keyword") << "2; other.htm" << true << 2 << "other.htm";
    QTest::newRow("fraction ignored") << "1.5;url=a" << true << 1 << "a";
    QTest::newRow("leading dot") << ".5; url=b" << true << 0 << "b";
    QTest::newRow("huge delay capped") << "99999999999999999999" << true << RefreshDirective::intMaxDelaySeconds << "";
    QTest::newRow("double-quoted with text after") << "0; url=\"x.htm\" trailing" << true << 0 << "x.htm";
    QTest::newRow("empty") << "" << false << 0 << "";
    QTest::newRow("no delay") << "url=x.htm" << false << 0 << "";
    QTest::newRow("negative") << "-1" << false << 0 << "";
}

void TestRefreshDirective::ParsesRefreshValues()
{
    QFETCH(QString, strContent);
    QFETCH(bool, blnValid);
    QFETCH(int, intDelay);
    QFETCH(QString, strUrl);
    const RefreshDirective directive = ParseRefresh(strContent);
    QCOMPARE(directive.blnValid, blnValid);
    if (!blnValid)
        return;
    QCOMPARE(directive.intDelaySeconds, intDelay);
    QCOMPARE(directive.strUrl, strUrl);
}

QUORVANE_REGISTER_TEST(TestRefreshDirective)
#include "TestRefreshDirective.moc"
