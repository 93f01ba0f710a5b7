#include "ImportTestKit.h"
#include "TestEnv.h"

#include "import/OfxReader.h"
#include "import/QifReader.h"
#include "import/StatementFile.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace ImportTestKit;

namespace {

TStatement readQif(const QByteArray& bytes) {
    const TStatementFile f = StatementFromBytes(bytes, QStringLiteral("test.qif"));
    if (f.Format != StatementFormat::Qif)
        qFatal("not read as QIF");
    const TDateGuess dates = GuessDateOrder(QifFieldValues(f.Text, u'D'), DateOrder::MDY);
    return ReadQif(f.Text, dates.order, GuessDecimalSign(QifFieldValues(f.Text, u'T')));
}

// Why a file is refused, or "read" when it is not.
QString refusal(const std::function<void()>& read) {
    try {
        read();
        return QStringLiteral("read");
    } catch (const EStatementUnreadable& e) {
        return e.Message;
    }
}

const QByteArray OfxTwo =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<?OFX OFXHEADER=\"200\" VERSION=\"211\" SECURITY=\"NONE\" OLDFILEUID=\"NONE\" "
    "NEWFILEUID=\"NONE\"?>\n<OFX><!-- a credit card -->\n"
    "<CREDITCARDMSGSRSV1><CCSTMTTRNRS><TRNUID>1</TRNUID><STATUS><CODE>0</CODE><SEVERITY>INFO"
    "</SEVERITY></STATUS><CCSTMTRS><CURDEF>EUR</CURDEF><CCACCTFROM><ACCTID>4111222233334444"
    "</ACCTID></CCACCTFROM><BANKTRANLIST><DTSTART>20240101</DTSTART><DTEND>20240110</DTEND>\n"
    "<STMTTRN><TRNTYPE>DEBIT</TRNTYPE><DTPOSTED>20240105120000.000[-5:EST]</DTPOSTED><TRNAMT>"
    "-12.50</TRNAMT><FITID>C-1</FITID><NAME>Café Müller</NAME><MEMO></MEMO></STMTTRN>\n"
    "<STMTTRN><TRNTYPE>CREDIT</TRNTYPE><DTPOSTED>20240106</DTPOSTED><TRNAMT>1234,56</TRNAMT>"
    "<FITID>C-2</FITID><PAYEE><NAME>Employer</NAME><ADDR1>Main St</ADDR1></PAYEE>"
    "<MEMO>Jan &amp; Feb</MEMO></STMTTRN>\n"
    "</BANKTRANLIST></CCSTMTRS></CCSTMTTRNRS></CREDITCARDMSGSRSV1></OFX>\n";

} // namespace

class TestStatementFiles : public QObject {
    Q_OBJECT
private slots:
    void init() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void qifVariantsReadTheirLines_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("expected");
        QTest::newRow("bank, M/D/YY, every field")
            << QByteArray("!Type:Bank\nD1/5/24\nT-12.50\nPCafé Müller\nMtable 4\nLFood\nN1001\nCX\n"
                          "^\nD1/6/24\nU1,234.56\nPEmployer\nLSalary\n^\n")
            << QStringLiteral("2024-01-05|Café Müller|-12.5|Food|table 4; No. 1001\n"
                              "2024-01-06|Employer|1234.56|Salary|");
        QTest::newRow("cash, the apostrophe year")
            << QByteArray("!Type:Cash\r\nD12/31'04\r\nT-3.00\r\nPKiosk\r\n^\r\nD 1/ 2' 5\r\n"
                          "T-1.00\r\nPKiosk\r\n^\r\n")
            << QStringLiteral("2004-12-31|Kiosk|-3||\n2005-01-02|Kiosk|-1||");
        QTest::newRow("credit card, D/M/YYYY, decimal comma, no closing ^")
            << QByteArray("!Type:CCard\nD31/01/2024\nT-1.234,50\nPShop\n^\nD01/02/2024\nT10,00\n"
                          "PRefund")
            << QStringLiteral("2024-01-31|Shop|-1234.5||\n2024-02-01|Refund|10||");
        QTest::newRow("splits joined into one line")
            << QByteArray("!Type:Bank\nD2024-01-07\nT-100.00\nPMarket\nL--Splits--\nSFood\nEbread\n"
                          "$-60.00\nSHousehold\n$-40.00\n^\n")
            << QStringLiteral("2024-01-07|Market|-100|Food, Household|bread");
        QTest::newRow("lines that cannot be read")
            << QByteArray("!Type:Bank\nT-1.00\nPNo date\n^\nD2024-01-08\nPNo amount\n^\n"
                          "D2024-01-09\nT-10.00\nSA\n$-3.00\nSB\n$-3.00\n^\n"
                          "!Type:Invst\nD2024-01-10\nNBuy\nT-5.00\n^\n"
                          "!Type:Cat\nNFood\nDGroceries\n^\n")
            << QStringLiteral("2: no date\n5: no amount\n8: the splits add up to -6, not -10\n"
                              "16: investment transactions are not imported");
    }
    void qifVariantsReadTheirLines() {
        QFETCH(QByteArray, file);
        QFETCH(QString, expected);
        QCOMPARE(describe(readQif(file).Lines), expected);
    }

    void qifAccountBlocksAreOfferedOneByOne() {
        const TStatement st =
            readQif("!Option:AutoSwitch\n!Account\nNListed only\nTBank\n^\n"
                    "!Clear:AutoSwitch\n!Account\nNChecking\nTBank\n^\n!Type:Bank\n"
                    "D2024-01-05\nT-1.00\nPA\n^\n!Account\nNVisa\nTCCard\n^\n"
                    "!Type:CCard\nD2024-01-06\nT-2.00\nPB\n^\n!Account\nNChecking\n"
                    "^\n!Type:Bank\nD2024-01-07\nT-3.00\nPC\n^\n");
        QCOMPARE(st.Accounts.size(), size_t(2));
        QCOMPARE(st.Accounts[0].Name, QStringLiteral("Checking"));
        QCOMPARE(st.Accounts[1].Name, QStringLiteral("Visa"));
        QStringList owners;
        for (const TStatementLine& l : st.Lines)
            owners << l.Party + QString::number(l.Account);
        QCOMPARE(owners, QStringList({"A0", "B1", "C0"}));
    }

    void ofxVariantsReadTheirLines_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QString>("ids");
        QTest::newRow("OFX 1, SGML, Windows-1252, a character reference, QFX tags")
            << ofxSgml("<STMTTRN><TRNTYPE>DEBIT<DTPOSTED>20240105<TRNAMT>-12.50<FITID>A-1"
                       "<NAME>Caf&#233; M\xFCller<MEMO>table 4<INTU.BID>3000\n</STMTTRN>\n"
                       "<STMTTRN><TRNTYPE>CHECK<DTPOSTED>20240106<TRNAMT>1234.56<FITID>A-2"
                       "<CHECKNUM>1001<NAME>Employer &amp; Co</STMTTRN>\n")
            << QStringLiteral("2024-01-05|Café Müller|-12.5||table 4\n"
                              "2024-01-06|Employer & Co|1234.56||No. 1001")
            << "A-1 A-2";
        QTest::newRow("OFX 2, XML, credit card, payee aggregate")
            << OfxTwo
            << QStringLiteral(
                   "2024-01-05|Café Müller|-12.5||\n2024-01-06|Employer|1234.56||Jan & Feb")
            << "C-1 C-2";
        QTest::newRow("what the library would misread")
            << ofxSgml("<STMTTRN><TRNTYPE>DEBIT<DTPOSTED>20240105<FITID>B-1<NAME>No amount"
                       "</STMTTRN>\n<STMTTRN><TRNTYPE>DEBIT<DTPOSTED>garbage<TRNAMT>-1.00<FITID>"
                       "B-2<NAME>Bad date</STMTTRN>\n<STMTTRN><TRNTYPE>DEBIT<DTPOSTED>20240107"
                       "<TRNAMT>1,000.50<BOGUS>x<FITID>B-3<NAME>Grouped</STMTTRN>\n"
                       "<STMTTRN><TRNTYPE>DEBIT<TRNAMT>-1.00<FITID>B-4<NAME>" +
                       QByteArray(5000, 'N') + "</STMTTRN>\n")
            << QStringLiteral("16: no amount\n17: date 'garbage' is not a date\n"
                              "18: amount '1,000.50' is not a number\n19: no date")
            << "B-1 B-2 B-3 B-4";
    }
    void ofxVariantsReadTheirLines() {
        QFETCH(QByteArray, file);
        QFETCH(QString, expected);
        QFETCH(QString, ids);
        const TStatementFile f = StatementFromBytes(file, QStringLiteral("test.txt"));
        QCOMPARE(int(f.Format), int(StatementFormat::Ofx));
        const TStatement st = ReadOfx(f.Bytes, f.FileName);
        QCOMPARE(describe(st.Lines), expected);
        QStringList seen;
        for (const TStatementLine& l : st.Lines)
            seen << l.SourceId;
        QCOMPARE(seen.join(u' '), ids);
    }

    void ofxStatementsNameTheirAccounts() {
        const QByteArray two = ofxSgml("<STMTTRN><TRNTYPE>DEBIT<DTPOSTED>20240105<TRNAMT>-1<FITID>1"
                                       "<NAME>A</STMTTRN>\n");
        QByteArray both = two;
        // A second statement of another account in the same file.
        const qsizetype at = both.indexOf("</BANKMSGSRSV1>");
        const QByteArray other = ofxSgml("<STMTTRN><TRNTYPE>DEBIT<DTPOSTED>20240106<TRNAMT>-2"
                                         "<FITID>2<NAME>B</STMTTRN>\n",
                                         "000999");
        const qsizetype from = other.indexOf("<STMTTRNRS>"), to = other.indexOf("</BANKMSGSRSV1>");
        both.insert(at, other.mid(from, to - from));
        const TStatement st = ReadOfx(both, QStringLiteral("two.ofx"));
        QCOMPARE(st.Accounts.size(), size_t(2));
        QCOMPARE(st.Accounts[0].Id, QStringLiteral("987654321 000123"));
        QCOMPARE(st.Accounts[1].Id, QStringLiteral("987654321 000999"));
        QCOMPARE(st.Lines.at(1).Account, 1);
        QCOMPARE(ReadOfx(OfxTwo, QStringLiteral("card.ofx")).Accounts[0].Id,
                 QStringLiteral("4111222233334444"));
    }

    void aDamagedOfxIsRefusedInOneMessageNamingTheFile_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("why");
        const QByteArray whole = ofxSgml("<STMTTRN><TRNTYPE>DEBIT<DTPOSTED>20240105<TRNAMT>-1"
                                         "<FITID>1<NAME>A</STMTTRN>\n");
        QTest::newRow("cut in a transaction")
            << whole.left(whole.indexOf("<NAME>")) << "it ends before its statement does";
        QTest::newRow("cut in a tag")
            << whole.left(whole.indexOf("</STMTTRN>") + 4) << "it ends inside a tag";
        QTest::newRow("no end") << whole.left(whole.indexOf("</OFX>"))
                                << "it ends before its statement does";
        QTest::newRow("nested without end")
            << ofxSgml(QByteArray("<A>").repeated(100000)) << "nests deeper than 40 levels";
        QTest::newRow("a wrong end tag") << QByteArray(whole).replace("</STMTRS>", "</STMTTRN>")
                                         << "line 17 closes <STMTTRN>, which is not open";
        QTest::newRow("a malformed tag")
            << QByteArray(whole).replace("<NAME>", "<NA ME>") << "line 16 holds a malformed tag";
        QTest::newRow("a value of megabytes")
            << QByteArray(whole).replace("<NAME>A", "<NAME>" + QByteArray(1 << 20, 'A'))
            << "holds a value of 1,048,576 bytes";
    }
    void aDamagedOfxIsRefusedInOneMessageNamingTheFile() {
        QFETCH(QByteArray, file);
        QFETCH(QString, why);
        const QString message = refusal([&] { ReadOfx(file, QStringLiteral("/tmp/bank.ofx")); });
        QVERIFY2(message.startsWith(QStringLiteral("The file \"/tmp/bank.ofx\" is not an OFX")),
                 qPrintable(message));
        QVERIFY2(message.contains(why), qPrintable(message));
    }

    void filesThatAreNoStatementAreRefusedByName() {
        QTemporaryDir dir;
        const auto refusedFor = [&](const QString& name, const QByteArray& bytes) {
            const QString path = write(dir.filePath(name), bytes);
            return refusal([&] { OpenStatementFile(path); }).remove(dir.path() + u'/');
        };
        QCOMPARE(refusedFor("empty.csv", ""), QStringLiteral("The file \"empty.csv\" is empty."));
        QCOMPARE(refusedFor("blank.csv", "\xEF\xBB\xBF\n\n"),
                 QStringLiteral("The file \"blank.csv\" is empty."));
        QCOMPARE(
            refusedFor("picture.csv", QByteArray("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16)),
            QStringLiteral("The file \"picture.csv\" is not a statement: it holds binary data."));
        // A gigabyte is refused by its size, without reading it.
        QFile huge(dir.filePath(QStringLiteral("huge.csv")));
        QVERIFY(huge.open(QIODevice::WriteOnly) && huge.resize(qint64(1) << 30));
        huge.close();
        QVERIFY(refusal([&] { OpenStatementFile(huge.fileName()); })
                    .endsWith(QStringLiteral("is too large for a statement (1.00 GiB; the program "
                                             "reads statements of up to 64.00 MiB).")));
        QVERIFY(refusal([&] {
                    OpenStatementFile(dir.filePath(QStringLiteral("missing.qif")));
                }).contains(QStringLiteral("cannot be read")));
    }

    void theFormatComesFromTheContentNotTheName() {
        QCOMPARE(int(StatementFromBytes("\xEF\xBB\xBF\n!Type:Bank\nD1/5/24\n^\n", "x.csv").Format),
                 int(StatementFormat::Qif));
        QCOMPARE(int(StatementFromBytes(OfxTwo, "x.qif").Format), int(StatementFormat::Ofx));
        QCOMPARE(int(StatementFromBytes("Date,Amount\n2024-01-05,1\n", "x.ofx").Format),
                 int(StatementFormat::Csv));
        // Invalid UTF-8 is an 8-bit file: every byte stays a character.
        QCOMPARE(StatementFromBytes("Caf\xE9,\xC3\x28\n", "x.csv").Text,
                 QStringLiteral("Café,Ã(\n"));
    }
};

BUDGET_TEST(TestStatementFiles)
#include "StatementFilesTest.moc"
