#include "net/EchoStatus.h"
#include "support/TestRegistry.h"

#include <QTest>

class TestEchoStatus : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void knownCodes_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("text");
        const QList<QPair<int, const char*>> table { { 0, "ip success" }, { 500, "ping timeout" },
            { 11001, "ip buf too_small" }, { 11002, "ip dest net unreachable" }, { 11003, "ip dest host unreachable" },
            { 11004, "ip dest prot unreachable" }, { 11005, "ip dest port unreachable" }, { 11006, "ip no resources" },
            { 11007, "ip bad option" }, { 11008, "ip hw_error" }, { 11009, "ip packet too_big" },
            { 11010, "ip req timed out" }, { 11011, "ip bad req" }, { 11012, "ip bad route" },
            { 11013, "ip ttl expired transit" }, { 11014, "ip ttl expired reassem" }, { 11015, "ip param_problem" },
            { 11016, "ip source quench" }, { 11017, "ip option too_big" }, { 11018, "ip bad destination" },
            { 11019, "ip addr deleted" }, { 11020, "ip spec mtu change" }, { 11021, "ip mtu_change" },
            { 11022, "ip unload" }, { 11023, "ip addr added" }, { 11050, "ip general failure" },
            { 11255, "ip pending" }, { -1, "inet_addr: bad IP format" } };
        for (const auto& entry : table)
            QTest::newRow(qPrintable(QString::number(entry.first))) << entry.first << QString::fromLatin1(entry.second);
    }

    void knownCodes()
    {
        QFETCH(int, code);
        QFETCH(QString, text);
        QCOMPARE(EchoStatusText(code, false), text);
        QCOMPARE(EchoStatusText(code, true), QStringLiteral(" [") + text + QStringLiteral("]"));
    }

    // Gaps of the table and its surroundings all read as unknown: two blanks in the bracketed
    // form, one in the plain form.
    void unknownCodes()
    {
        QList<int> unknown { 1, 499, 501, 10999, 11000, 11256, -2, 65535, std::numeric_limits<int>::min(),
            std::numeric_limits<int>::max() };
        for (int intCode = 11024; intCode <= 11049; ++intCode)
            unknown.append(intCode);
        for (int intCode = 11051; intCode <= 11254; ++intCode)
            unknown.append(intCode);
        for (const int intCode : unknown) {
            QCOMPARE(EchoStatusText(intCode, true), QStringLiteral(" [unknown  msg returned]"));
            QCOMPARE(EchoStatusText(intCode, false), QStringLiteral("unknown msg returned"));
        }
    }
};

QUORVANE_REGISTER_TEST(TestEchoStatus)
#include "TestEchoStatus.moc"
