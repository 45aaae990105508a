#include "browser/document/PageCharset.h"
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
    void MapsLabelsAsBrowsersDo_data();
    void MapsLabelsAsBrowsersDo();
    void DecodesIntoUtf8_data();
    void DecodesIntoUtf8();
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
                                     << QByteArray("text/html") << QByteArray("ISO-8859-2");
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
    // A router's status page that declares "unicode" while the bytes are ASCII.
    QTest::newRow("unicode in a meta reads as UTF-8")
        << QByteArray("<META http-equiv=Content-Type content=\"text/html; charset=unicode\">")
        << QByteArray("text/html") << QByteArray("UTF-8");
    QTest::newRow("ucs-2 in a meta reads as UTF-8")
        << QByteArray("<meta charset=ucs-2>") << QByteArray() << QByteArray("UTF-8");
    QTest::newRow("utf-32 is no label: the default")
        << QByteArray("<meta charset=utf-32>") << QByteArray() << QByteArray("windows-1252");
    QTest::newRow("user-defined in a meta reads as windows-1252")
        << QByteArray("<meta charset=x-user-defined>") << QByteArray() << QByteArray("windows-1252");
    QTest::newRow("an unknown meta label gives way to the next meta")
        << QByteArray("<meta charset=ucs-4><meta charset=koi8-r>") << QByteArray() << QByteArray("KOI8-R");
    QTest::newRow("utf-16 in the header is kept")
        << QByteArray("<p>x") << QByteArray("text/html; charset=utf-16") << QByteArray("UTF-16LE");
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

void TestPageCharset::MapsLabelsAsBrowsersDo_data()
{
    QTest::addColumn<QByteArray>("label");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("blanks and case") << QByteArray(" \tLatin1 ") << QByteArray("windows-1252");
    QTest::newRow("ascii") << QByteArray("US-ASCII") << QByteArray("windows-1252");
    QTest::newRow("latin-5 is windows-1254") << QByteArray("iso-8859-9") << QByteArray("windows-1254");
    QTest::newRow("thai") << QByteArray("tis-620") << QByteArray("windows-874");
    QTest::newRow("simplified chinese") << QByteArray("gb2312") << QByteArray("GBK");
    QTest::newRow("japanese") << QByteArray("x-sjis") << QByteArray("Shift_JIS");
    QTest::newRow("korean") << QByteArray("ks_c_5601-1987") << QByteArray("EUC-KR");
    QTest::newRow("unicode") << QByteArray("unicode") << QByteArray("UTF-16LE");
    QTest::newRow("csunicode") << QByteArray("csUnicode") << QByteArray("UTF-16LE");
    QTest::newRow("iso-10646-ucs-2") << QByteArray("iso-10646-ucs-2") << QByteArray("UTF-16LE");
    QTest::newRow("big-endian") << QByteArray("unicodeFFFE") << QByteArray("UTF-16BE");
    QTest::newRow("stateful encodings are replaced") << QByteArray("iso-2022-kr") << QByteArray("replacement");
    QTest::newRow("utf-32 is not a label") << QByteArray("utf-32") << QByteArray();
    QTest::newRow("ucs-4 is not a label") << QByteArray("ucs-4") << QByteArray();
    QTest::newRow("names the platform knows are not labels") << QByteArray("cp850") << QByteArray();
    QTest::newRow("empty") << QByteArray("  ") << QByteArray();
}

void TestPageCharset::MapsLabelsAsBrowsersDo()
{
    QFETCH(QByteArray, label);
    QFETCH(QByteArray, expected);
    QCOMPARE(CanonicalCharset(label), expected);
}

void TestPageCharset::DecodesIntoUtf8_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArray>("charset");
    QTest::addColumn<QString>("expected");
    QTest::newRow("ascii") << QByteArray("<p>SNR Margin 12.5") << QByteArray("windows-1252")
                           << QStringLiteral("<p>SNR Margin 12.5");
    QTest::newRow("ascii up to a last upper-half byte")
        << QByteArray("Temp 41\xB0") << QByteArray("windows-1252") << QStringLiteral("Temp 41\u00b0");
    QTest::newRow("windows-1252 upper half") << QByteArray("\x80\x81\x9F\xA0\xFF") << QByteArray("windows-1252")
                                             << QStringLiteral("\u20ac\u0081\u0178\u00a0\u00ff");
    QTest::newRow("utf-8 mark dropped") << QByteArray("\xEF\xBB\xBFx\xC3\xA9") << QByteArray("UTF-8")
                                        << QStringLiteral("x\u00e9");
    QTest::newRow("utf-16 little-endian")
        << QByteArray("\xFF\xFEx\0\xE9\0", 6) << QByteArray("UTF-16LE") << QStringLiteral("x\u00e9");
    QTest::newRow("shift_jis") << QByteArray("\x82\xA0") << QByteArray("Shift_JIS") << QStringLiteral("\u3042");
    QTest::newRow("koi8-r") << QByteArray("\xE1") << QByteArray("KOI8-R") << QStringLiteral("\u0410");
    // Charsets of routers sold around the world; each needs a converter of the platform's own.
    QTest::newRow("windows-1251") << QByteArray("\xCF\xF0\xE8") << QByteArray("windows-1251")
                                  << QStringLiteral("\u041f\u0440\u0438");
    QTest::newRow("iso-8859-2") << QByteArray("\xB3\xF3"
                                              "d\xBC")
                                << QByteArray("ISO-8859-2") << QStringLiteral("\u0142\u00f3d\u017a");
    QTest::newRow("iso-8859-15 euro sign")
        << QByteArray("\xA4") << QByteArray("ISO-8859-15") << QStringLiteral("\u20ac");
    QTest::newRow("gbk") << QByteArray("\xD6\xD0\xCE\xC4") << QByteArray("GBK") << QStringLiteral("\u4e2d\u6587");
    QTest::newRow("big5") << QByteArray("\xA4\xA4\xA4\xE5") << QByteArray("Big5") << QStringLiteral("\u4e2d\u6587");
    QTest::newRow("euc-kr") << QByteArray("\xC7\xD1\xB1\xB9") << QByteArray("EUC-KR") << QStringLiteral("\ud55c\uad6d");
    QTest::newRow("shift_jis between ascii")
        << QByteArray("a\x93\xFA\x96\x7Bz") << QByteArray("Shift_JIS") << QStringLiteral("a\u65e5\u672cz");
    QTest::newRow("user-defined upper half")
        << QByteArray("a\x80\xFF") << QByteArray("x-user-defined") << QStringLiteral("a\uf780\uf7ff");
    QTest::newRow("replacement") << QByteArray("\x1B$)C\x0E!!") << QByteArray("replacement")
                                 << QStringLiteral("\ufffd");
    QTest::newRow("a charset the platform lacks reads as windows-1252")
        << QByteArray("\x80x") << QByteArray("ISO-8859-16") << QStringLiteral("\u20acx");
}

void TestPageCharset::DecodesIntoUtf8()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, charset);
    QFETCH(QString, expected);
    QCOMPARE(QString::fromUtf8(DecodePageToUtf8(bytes, charset)), expected);
    QCOMPARE(DecodePage(bytes, charset), expected);
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
