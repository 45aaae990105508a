#include "BrowserTestSupport.h"
#include "browser/document/FormSubmission.h"
#include "support/TestRegistry.h"

#include <QTest>

namespace
{
const QByteArray kWindows1252 = QByteArrayLiteral("windows-1252");
const QByteArray kUtf8 = QByteArrayLiteral("UTF-8");

QByteArray EncodeFirstForm(const QString& strHtml, const QByteArray& charset)
{
    const HtmlDocument document = ParseHtml(strHtml);
    const std::vector<int> forms = document.ElementsByTag("form");
    return EncodeFormEntries(CollectFormEntries(document, forms.front(), charset), charset);
}

FormRequest RequestForFirstForm(const QString& strHtml, const QString& strDocumentUrl, bool* blnBuilt)
{
    const HtmlDocument document = ParseHtml(strHtml);
    FormRequest request;
    *blnBuilt = BuildFormRequest(
        document, document.ElementsByTag("form").front(), QUrl(strDocumentUrl), kWindows1252, &request);
    return request;
}
} // namespace

class TestFormSubmission : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void SendsOnlySuccessfulControls_data();
    void SendsOnlySuccessfulControls();
    void EncodesInThePageCharset_data();
    void EncodesInThePageCharset();
    void SendsValuesSetByTheRun();
    void PostsToTheResolvedAction();
    void GetReplacesTheQuery();
    void EmptyActionIsTheDocument();
    void RefusesScriptActions();
};

void TestFormSubmission::SendsOnlySuccessfulControls_data()
{
    QTest::addColumn<QString>("strForm");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("text fields in order") << "<input name=a value=1><input name=b value=2>" << QByteArray("a=1&b=2");
    QTest::newRow("unnamed and disabled controls skipped")
        << "<input value=x><input name=off value=y disabled><input name=on value=z>" << QByteArray("on=z");
    QTest::newRow("buttons never take part")
        << "<input type=submit name=go value=Go><input type=image name=img><input type=button name=b value=B>"
           "<input type=reset name=r><button name=bt value=1>B</button><input name=t value=v>"
        << QByteArray("t=v");
    QTest::newRow("only checked boxes and radios")
        << "<input type=checkbox name=c1 checked><input type=checkbox name=c2 value=x>"
           "<input type=radio name=r value=1><input type=radio name=r value=2 checked>"
        << QByteArray("c1=on&r=2");
    QTest::newRow("selected options")
        << "<select name=s><option value=1>a<option value=2 selected>b</select>"
           "<select name=m multiple><option selected>x<option>y<option selected disabled>z</select>"
        << QByteArray("s=2&m=x");
    QTest::newRow("disabled fieldset, except its first legend")
        << "<fieldset disabled><legend><input name=in value=1></legend><input name=out value=2></fieldset>"
        << QByteArray("in=1");
    QTest::newRow("charset field and file field")
        << "<input type=hidden name=_charset_><input type=file name=f>" << QByteArray("_charset_=windows-1252&f=");
    QTest::newRow("textarea line breaks as CR LF") << "<textarea name=t>a\nb</textarea>" << QByteArray("t=a%0D%0Ab");
    QTest::newRow("no controls") << "" << QByteArray();
}

void TestFormSubmission::SendsOnlySuccessfulControls()
{
    QFETCH(QString, strForm);
    QFETCH(QByteArray, expected);
    QCOMPARE(EncodeFirstForm(QStringLiteral("<form>") + strForm + QStringLiteral("</form>"), kWindows1252), expected);
}

void TestFormSubmission::EncodesInThePageCharset_data()
{
    QTest::addColumn<QString>("strValue");
    QTest::addColumn<QByteArray>("charset");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("blanks as plus") << "a b" << kWindows1252 << QByteArray("v=a+b");
    QTest::newRow("reserved characters escaped")
        << "p&s=w+d%/?#" << kWindows1252 << QByteArray("v=p%26s%3Dw%2Bd%25%2F%3F%23");
    QTest::newRow("unreserved kept") << "aZ09*-._" << kWindows1252 << QByteArray("v=aZ09*-._");
    QTest::newRow("windows-1252 bytes") << "\u00e9\u20ac" << kWindows1252 << QByteArray("v=%E9%80");
    QTest::newRow("UTF-8 bytes") << "\u00e9\u20ac" << kUtf8 << QByteArray("v=%C3%A9%E2%82%AC");
    QTest::newRow("character outside the charset") << "\u4e2d" << kWindows1252 << QByteArray("v=%26%2320013%3B");
    QTest::newRow("shift_jis bytes") << "a\u65e5\u672c" << QByteArray("Shift_JIS") << QByteArray("v=a%93%FA%96%7B");
    QTest::newRow("koi8-r bytes, a character outside")
        << "\u0414\u00e9" << QByteArray("KOI8-R") << QByteArray("v=%E4%26%23233%3B");
    // The encoder starts afresh after each character it could not express.
    QTest::newRow("two characters outside in a row")
        << "\u4e2d\u6587a" << kWindows1252 << QByteArray("v=%26%2320013%3B%26%2325991%3Ba");
    // A look-alike is not the character: an accented letter windows-1251 lacks is not sent bare.
    QTest::newRow("no look-alike for a missing letter")
        << "\u0101" << QByteArray("windows-1251") << QByteArray("v=%26%23257%3B");
}

void TestFormSubmission::EncodesInThePageCharset()
{
    QFETCH(QString, strValue);
    QFETCH(QByteArray, charset);
    QFETCH(QByteArray, expected);
    const FormEntries entries { { QStringLiteral("v"), strValue } };
    QCOMPARE(EncodeFormEntries(entries, charset), expected);
}

void TestFormSubmission::SendsValuesSetByTheRun()
{
    HtmlDocument document = ParseHtml(
        QStringLiteral("<form><input id=uiPostUserName name=user><input type=password id=uiPostPassword name=pw>"
                       "<select name=s id=s><option value=a>A<option value=b>B</select></form>"));
    document.SetControlValue(document.ElementById(QStringLiteral("uiPostUserName")), QStringLiteral("admin"));
    document.SetControlValue(document.ElementById(QStringLiteral("uiPostPassword")), QStringLiteral("p w&"));
    document.SetControlValue(document.ElementById(QStringLiteral("s")), QStringLiteral("b"));
    const int intForm = document.ElementsByTag("form").front();
    QCOMPARE(
        EncodeFormEntries(CollectFormEntries(document, intForm, kUtf8), kUtf8), QByteArray("user=admin&pw=p+w%26&s=b"));
}

void TestFormSubmission::PostsToTheResolvedAction()
{
    bool blnBuilt = false;
    const FormRequest request = RequestForFirstForm(
        QStringLiteral("<form method=POST action=\"../cgi-bin/login.cgi#top\"><input name=a value=1></form>"),
        QStringLiteral("http://127.0.0.1:8080/html/login.htm?x=1"), &blnBuilt);
    QVERIFY(blnBuilt);
    QCOMPARE(request.verb, QByteArray("POST"));
    QCOMPARE(request.url.toString(), QStringLiteral("http://127.0.0.1:8080/cgi-bin/login.cgi"));
    QCOMPARE(request.body, QByteArray("a=1"));
    QCOMPARE(request.contentType, QByteArray("application/x-www-form-urlencoded"));

    // A <base href> moves every relative action.
    const FormRequest based
        = RequestForFirstForm(QStringLiteral("<base href=\"/cgi-bin/\"><form method=post action=webcm></form>"),
            QStringLiteral("http://127.0.0.1/html/index.htm"), &blnBuilt);
    QVERIFY(blnBuilt);
    QCOMPARE(based.url.toString(), QStringLiteral("http://127.0.0.1/cgi-bin/webcm"));
}

void TestFormSubmission::GetReplacesTheQuery()
{
    bool blnBuilt = false;
    const FormRequest request = RequestForFirstForm(
        QStringLiteral("<form action=\"/cgi-bin/webcm?old=1#frag\"><input name=getpage value=\"../html/a b.htm\">"
                       "<input name=var:menu value=setup></form>"),
        QStringLiteral("http://127.0.0.1/"), &blnBuilt);
    QVERIFY(blnBuilt);
    QCOMPARE(request.verb, QByteArray("GET"));
    QVERIFY(request.body.isEmpty());
    QCOMPARE(request.url.toEncoded(),
        QByteArray("http://127.0.0.1/cgi-bin/webcm?getpage=..%2Fhtml%2Fa+b.htm&var%3Amenu=setup"));
}

void TestFormSubmission::EmptyActionIsTheDocument()
{
    bool blnBuilt = false;
    const FormRequest request = RequestForFirstForm(QStringLiteral("<form action=\"\"><input name=a value=1></form>"),
        QStringLiteral("http://127.0.0.1/page.htm?q=1"), &blnBuilt);
    QVERIFY(blnBuilt);
    QCOMPARE(request.url.toString(), QStringLiteral("http://127.0.0.1/page.htm?a=1"));
}

void TestFormSubmission::RefusesScriptActions()
{
    bool blnBuilt = true;
    RequestForFirstForm(QStringLiteral("<form action=\"javascript:doLogin()\"></form>"),
        QStringLiteral("http://127.0.0.1/"), &blnBuilt);
    QVERIFY(!blnBuilt);
    RequestForFirstForm(
        QStringLiteral("<form action=\"mailto:a@b.example\"></form>"), QStringLiteral("http://127.0.0.1/"), &blnBuilt);
    QVERIFY(!blnBuilt);

    const HtmlDocument document = ParseHtml(QStringLiteral("<p>no form"));
    FormRequest request;
    QVERIFY(!BuildFormRequest(document, -1, QUrl(QStringLiteral("http://127.0.0.1/")), kUtf8, &request));
}

QUORVANE_REGISTER_TEST(TestFormSubmission)
#include "TestFormSubmission.moc"
