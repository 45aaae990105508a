#include "browser/PageCharset.h"
#include "support/TestRegistry.h"

#include <QTest>

class TestPageCharset : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void ChoosesTheCharset_data();
    void ChoosesTheCharset();
    void DecodesWindows1252ByDefault();
    void DecodesUtf8AndDropsTheMark();
    void ReadsContentTypeParameters_data();
    void ReadsContentTypeParameters();
};

void TestPageCharset::ChoosesTheCharset_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArray>("contentType");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("nothing declared") << QByteArray("<html><body>x") << QByteArray("text/html")
                                      << QByteArray("windows-1252");
    QTest::newRow("header") << QByteArray("<p>x") << QByteArray("text/html; charset=UTF-8") << QByteArray("UTF-8");
    QTest::newRow("latin-1 labels read as windows-1252")
        << QByteArray("<p>x") << QByteArray("text/html; charset=iso-8859-1") << QByteArray("windows-1252");
    QTest::newRow("meta charset") << QByteArray("<head><meta charset=\"utf-8\"></head>") << QByteArray()
                                  << QByteArray("UTF-8");
    QTest::newRow("meta http-equiv") << QByteArray(
        "<HEAD><META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=ISO-8859-2\">")
                                     << QByteArray("text/html") << QByteArray("iso-8859-2");
    QTest::newRow("header wins over meta")
        << QByteArray("<meta charset=iso-8859-2>") << QByteArray("text/html;charset=\"utf-8\"") << QByteArray("UTF-8");
    QTest::newRow("meta inside a comment does not count")
        << QByteArray("<!-- <meta charset=utf-8> --><p>x") << QByteArray() << QByteArray("windows-1252");
    QTest::newRow("meta in the body does not count")
        << QByteArray("<body><meta charset=utf-8>") << QByteArray() << QByteArray("windows-1252");
    QTest::newRow("unknown label ignored") << QByteArray("<meta charset=no-such-charset>")
                                           << QByteArray("text/html; charset=bogus") << QByteArray("windows-1252");
    QTest::newRow("utf-16 in a meta reads as UTF-8")
        << QByteArray("<meta charset=utf-16>") << QByteArray() << QByteArray("UTF-8");
    QTest::newRow("byte-order mark wins") << QByteArray("\xEF\xBB\xBF<meta charset=iso-8859-2>")
                                          << QByteArray("text/html; charset=iso-8859-2") << QByteArray("UTF-8");
}

void TestPageCharset::ChoosesTheCharset()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, contentType);
    QFETCH(QByteArray, expected);
    QCOMPARE(ChoosePageCharset(bytes, contentType), expected);
}

void TestPageCharset::DecodesWindows1252ByDefault()
{
    const QByteArray bytes("caf\xE9 \x80 \x93quoted\x94 \xA0", 17);
    QCOMPARE(DecodePage(bytes, ChoosePageCharset(bytes, QByteArray())),
        QStringLiteral("caf\u00e9 \u20ac \u201cquoted\u201d \u00a0"));
}

void TestPageCharset::DecodesUtf8AndDropsTheMark()
{
    QCOMPARE(
        DecodePage(QByteArray("\xEF\xBB\xBF\xC3\xA9t\xC3\xA9"), QByteArray("UTF-8")), QStringLiteral("\u00e9t\u00e9"));
    // Broken sequences become replacement characters instead of being lost with what follows.
    QCOMPARE(DecodePage(QByteArray("a\xC3z"), QByteArray("UTF-8")), QStringLiteral("a\ufffdz"));
}

void TestPageCharset::ReadsContentTypeParameters_data()
{
    QTest::addColumn<QByteArray>("contentType");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("plain") << QByteArray("text/html; charset=utf-8") << QByteArray("UTF-8");
    QTest::newRow("quoted, upper case") << QByteArray("text/html; CHARSET=\"UTF-8\"") << QByteArray("UTF-8");
    QTest::newRow("blanks around the equals") << QByteArray("text/html; charset = utf-8 ; x=y") << QByteArray("UTF-8");
    QTest::newRow("missing") << QByteArray("text/html") << QByteArray();
    QTest::newRow("no value") << QByteArray("text/html; charset") << QByteArray();
}

void TestPageCharset::ReadsContentTypeParameters()
{
    QFETCH(QByteArray, contentType);
    QFETCH(QByteArray, expected);
    QCOMPARE(CharsetFromContentType(contentType), expected);
}

QUORVANE_REGISTER_TEST(TestPageCharset)
#include "TestPageCharset.moc"
