#include "ImportTestKit.h"
#include "TestEnv.h"

#include "import/CsvReader.h"
#include "import/StatementFile.h"
#include "import/StatementText.h"

#include <QtTest>

using namespace ImportTestKit;

namespace {

// The whole way a CSV file is read without asking anyone: its text, separator, header,
// columns, date order and decimal sign all found from the file itself.
struct CsvRead {
    TCsvGuess guess;
    std::vector<TStatementLine> lines;
};
CsvRead readCsv(const QByteArray& bytes) {
    const TStatementFile f = StatementFromBytes(bytes, QStringLiteral("test.csv"));
    if (f.Format != StatementFormat::Csv)
        qFatal("not read as CSV");
    const TCsvTable t = ParseCsv(f.Text, GuessCsvSeparator(f.Text));
    CsvRead r;
    r.guess = GuessCsvMapping(t);
    r.lines = CsvLines(t, r.guess.Mapping);
    return r;
}

QByteArray utf16le(const QString& s) {
    QByteArray b("\xFF\xFE", 2);
    b.append(reinterpret_cast<const char*>(s.utf16()), s.size() * 2);
    return b;
}

const char* const Plain = "2024-01-05|Café Müller|-12.5|Food|table 4\n"
                          "2024-01-16|Employer|1234.56|Salary|";

} // namespace

class TestCsvReader : public QObject {
    Q_OBJECT
private slots:
    void init() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void everyVariantReadsTheSameLines_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("expected");
        const QString rows = QStringLiteral("Date,Payee,Amount,Category,Memo\n"
                                            "2024-01-05,Café Müller,-12.50,Food,table 4\n"
                                            "2024-01-16,Employer,\"1,234.56\",Salary,\n");
        QTest::newRow("comma, UTF-8") << rows.toUtf8() << Plain;
        QTest::newRow("UTF-8 with BOM, CRLF")
            << QByteArray("\xEF\xBB\xBF") +
                   QString(rows).replace(QStringLiteral("\n"), QStringLiteral("\r\n")).toUtf8()
            << Plain;
        QTest::newRow("UTF-16 with BOM") << utf16le(rows) << Plain;
        QTest::newRow("Windows-1252")
            << QByteArray("Date,Payee,Amount,Category,Memo\n2024-01-05,Caf\xE9 M\xFCller,-12.50,"
                          "Food,table 4\n2024-01-16,Employer,\"1,234.56\",Salary,\n")
            << Plain;
        QTest::newRow("semicolon, decimal comma, day first, euro sign")
            << QByteArray("Datum;Empfänger;Betrag;Verwendungszweck;Notiz\n"
                          "05.01.2024;Café Müller;-12,50 €;Food;table 4\n"
                          "16.01.2024;Employer;1.234,56 €;Salary;\n")
            << Plain;
        QTest::newRow("separators ending the lines")
            << QByteArray("Date;Payee;Amount;Category;Memo;\n05.01.2024;Café Müller;-12,50;Food;"
                          "table 4;\n16.01.2024;Employer;1.234,56;Salary;\n")
            << Plain;
        QTest::newRow("tab, no header, month first")
            << QByteArray("1/5/2024\tCafé Müller\t-12.50\tFood\ttable 4\n"
                          "1/16/2024\tEmployer\t1234.56\tSalary\t\n")
            << Plain;
        QTest::newRow("money in and money out, parentheses and a currency sign")
            << QByteArray("Date,Description,Paid out,Paid in,Category,Notes\n"
                          "2024-01-05,Café Müller,$12.50,,Food,table 4\n"
                          "2024-01-16,Employer,,\"$1,234.56\",Salary,\n")
            << Plain;
        QTest::newRow("quoted separators, line breaks and quotes")
            << QByteArray("Date,Payee,Amount,Category,Memo\n"
                          "2024-01-05,\"Smith, \"\"Joe\"\"\",(3.00),Gift,\"two\nlines\"\n")
            << QStringLiteral("2024-01-05|Smith, \"Joe\"|-3|Gift|two\nlines");
        QTest::newRow("ISO-8859-1 with a trailing minus")
            << QByteArray("Date;Party;Amount\n31/01/2024;Gr\xFCn;12,00-\n")
            << QStringLiteral("2024-01-31|Grün|-12||");
    }
    void everyVariantReadsTheSameLines() {
        QFETCH(QByteArray, file);
        QFETCH(QString, expected);
        QCOMPARE(describe(readCsv(file).lines), expected);
    }

    void linesThatCannotBeReadSayWhereAndWhy() {
        const CsvRead r = readCsv(QByteArray("Date,Payee,Amount\n"
                                             "2024-01-05,A,12,3,4\n"
                                             "2024-01-06,B,\"12,3,4\"\n"
                                             ",C,5.00\n"
                                             "\n"
                                             "2024-13-40,D,5.00\n"
                                             "2024-01-07,E,\n"
                                             "2024-01-08,F,1.00\n"
                                             "2024-01-09,G,\"never closed\n"));
        QCOMPARE(describe(r.lines), QStringLiteral("2: line has 5 columns, not 3\n"
                                                   "3: amount '12,3,4' is not a number\n"
                                                   "4: no date\n"
                                                   "6: date '2024-13-40' is not a date\n"
                                                   "7: no amount\n"
                                                   "2024-01-08|F|1||\n"
                                                   "9: a quote is not closed"));
    }

    void aLineOfMegabytesIsRefusedWithoutHoldingIt() {
        QByteArray file("Date,Payee,Amount\n2024-01-05,");
        file += QByteArray(10 * 1024 * 1024, 'x');
        file += ",1.00\n2024-01-06,B,2.00\n";
        const CsvRead r = readCsv(file);
        QCOMPARE(describe(r.lines), QStringLiteral("2: line is longer than 65,536 characters\n"
                                                   "2024-01-06|B|2||"));
    }

    void dateOrderIsAskedOnlyWhenTheDatesReadBothWays_data() {
        QTest::addColumn<QString>("dates");
        QTest::addColumn<int>("order");
        QTest::addColumn<bool>("ambiguous");
        QTest::newRow("a day above 12") << "03/04/2024 13/04/2024" << int(DateOrder::DMY) << false;
        QTest::newRow("a month-first day above 12")
            << "03/04/2024 04/13/2024" << int(DateOrder::MDY) << false;
        QTest::newRow("both ways: the locale's order, asked")
            << "03/04/2024 05/04/2024" << int(DateOrder::MDY) << true;
        QTest::newRow("the same day either way") << "04/04/2024" << int(DateOrder::MDY) << false;
        QTest::newRow("year first") << "2024-03-04 2024-03-05" << int(DateOrder::YMD) << false;
    }
    void dateOrderIsAskedOnlyWhenTheDatesReadBothWays() {
        QFETCH(QString, dates);
        QFETCH(int, order);
        QFETCH(bool, ambiguous);
        const TDateGuess g = GuessDateOrder(dates.split(u' '), LocaleDateOrder());
        QCOMPARE(int(g.order), order);
        QCOMPARE(g.ambiguous, ambiguous);
        QCOMPARE(g.example.isEmpty(), !ambiguous);
    }

    void amountsAsBanksWriteThem_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("decimal");
        QTest::addColumn<QString>("expected"); // the amount, or why it is none
        const auto row = [](const char* text, const char* decimal, const char* expected) {
            QTest::newRow(text) << QString::fromUtf8(text) << QString::fromLatin1(decimal)
                                << QString::fromUtf8(expected);
        };
        row("1,234.56", ".", "1234.56");
        row("1.234,56", ",", "1234.56");
        row("1 234,56", ",", "1234.56");
        row("1'234.56", ".", "1234.56");
        row("1,00,000.00", ".", "100000");
        row("-$1,234.56", ".", "-1234.56");
        row("$-5", ".", "-5");
        row("(12.50)", ".", "-12.5");
        row("12.50-", ".", "-12.5");
        row("12.50 DR", ".", "-12.5");
        row("12.50 CR", ".", "12.5");
        row("EUR 12,50", ",", "12.5");
        row("12.50 USD", ".", "12.5");
        row("−7.25", ".", "-7.25");
        row(".5", ".", "0.5");
        row("0.00005", ".", "0.0001");
        row("12,3,4", ".", "amount '12,3,4' is not a number");
        row("12,3,4", ",", "amount '12,3,4' is not a number");
        row("1,2345.00", ".", "amount '1,2345.00' is not a number");
        row("1e5", ".", "amount '1e5' is not a number");
        row("--5", ".", "amount '--5' is not a number");
        row("-(5)", ".", "amount '-(5)' is not a number");
        row("5-5", ".", "amount '5-5' is not a number");
        row("-", ".", "amount '-' is not a number");
        row(".", ".", "amount '.' is not a number");
        row("", ".", "no amount");
        row("99999999999", ".", "amount '99999999999' is beyond what the program can hold");
        row("99999999999999999999999", ".",
            "amount '99999999999999999999999' is beyond what the program can hold");
    }
    void amountsAsBanksWriteThem() {
        QFETCH(QString, text);
        QFETCH(QString, decimal);
        QFETCH(QString, expected);
        QString why;
        const std::optional<Money> m = ParseStatementAmount(text, decimal.at(0), &why);
        QCOMPARE(m ? m->toPlainString(QLocale::c()) : why, expected);
    }

    void theDecimalSignComesFromTheColumnsOwnValues() {
        QCOMPARE(GuessDecimalSign({"1.234,56", "12,00"}), QChar(u','));
        QCOMPARE(GuessDecimalSign({"1,234.56", "12.00"}), QChar(u'.'));
        QCOMPARE(GuessDecimalSign({"12,5", "3"}), QChar(u','));
        QCOMPARE(GuessDecimalSign({"1.234.567"}), QChar(u','));
        // Three decimals or a thousand: the values do not tell.
        QCOMPARE(GuessDecimalSign({"1,234"}), QChar(u'.'));
    }

    void aMappingIsKeptAsTextAndRefusedWhenForeign() {
        TCsvMapping m;
        m.HasHeader = false;
        m.DateColumn = 2;
        m.InColumn = 0;
        m.OutColumn = 1;
        m.MemoColumn = 3;
        m.Order = DateOrder::MDY;
        m.Decimal = u',';
        QCOMPARE(TCsvMapping::FromText(m.ToText()), std::optional<TCsvMapping>(m));
        for (const char* foreign : {"", "v2;date=1", "v1;header=1;date=-1;amount=2", "v1;date=x",
                                    "v1;header=1;date=0;amount=99999;in=-1;out=-1;party=-1;"
                                    "purpose=-1;memo=-1;order=0;decimal=point"})
            QVERIFY2(!TCsvMapping::FromText(QString::fromLatin1(foreign)), foreign);
    }
};

BUDGET_TEST(TestCsvReader)
#include "CsvReaderTest.moc"
