#include "BiffReader.h"
#include "ExportTestGrid.h"
#include "TestData.h"

#include "data/Errors.h"
#include "grid/GridSort.h"
#include "lists/UtTransactionList.h"

#include <QDateEdit>
#include <QRegularExpression>
#include <QtTest>

using namespace TestData;

namespace {

const int colAmount = 4; // in the main window's list

QList<QByteArray> lines(const QByteArray& text) {
    return text.split('\n');
}

QStringList labelsOfRow(const BiffSheet& sheet, int row, int columns) {
    QStringList out;
    for (int c = 0; c < columns; ++c) {
        const BiffCell* cell = sheet.at(row, c);
        out << (!cell                           ? QStringLiteral("<none>")
                : cell->kind == BiffCell::Label ? QString::fromLatin1(cell->label)
                : cell->kind == BiffCell::Blank ? QStringLiteral("<blank>")
                                                : QString::number(cell->number));
    }
    return out;
}

void showMonth(TTransactionList& list, int account) {
    list.dtpRange1->setDate(QDate(2024, 3, 1));
    list.dtpRange2->setDate(QDate(2024, 3, 31));
    list.LoadList(account);
}

} // namespace

class ExportFilesTest : public QObject {
    Q_OBJECT
private slots:
    void spreadsheetRecordsOfTheHistoryList() {
        TestEnv env;
        const int bank = AddAccount(env, QStringLiteral("Bank"), 0);
        AddDetail(env, bank, 0, "2024-03-05 09:00:00", "10", "Boss", "", "pay");
        AddDetail(env, bank, 1, "2024-03-06 09:00:00", "4.25", "Shop", "bread", "food");
        HistoryLikeGrid h;
        const QByteArray xls = ExportBytes<TDBGridEhExportAsXLS>(&h.grid);

        QCOMPARE(xls.left(12).toHex(' '), QByteArray("09 08 08 00 00 00 10 00 00 00 00 00"));
        QCOMPARE(xls.mid(12, 15).toHex(' '),
                 QByteArray("04 02 0b 00 00 00 00 00 00 00 03 00 4e 6f 2e"));
        QVERIFY(xls.contains(QByteArray::fromHex("01020600010000001700")));
        QCOMPARE(xls.right(4).toHex(' '), QByteArray("0a 00 00 00"));

        const BiffSheet sheet = ReadBiff(xls);
        QVERIFY2(sheet.error.isEmpty(), qPrintable(sheet.error));
        QCOMPARE(sheet.recordTypes.front(), quint16(0x0809));
        QCOMPARE(sheet.recordTypes.back(), quint16(0x000A));
        QCOMPARE(sheet.rowCount(), 4);
        QCOMPARE(sheet.cells.size(), size_t(4 * 9));
        QCOMPARE(labelsOfRow(sheet, 0, 9), (QStringList{"No.", "Date", "Type", "Acc/Wal", "from",
                                                        "Amount", "for", "To", "memo"}));
        QCOMPARE(labelsOfRow(sheet, 1, 9), (QStringList{"<blank>", "2024-03-05", "Deposit", "Bank",
                                                        "Boss", "10", "pay", "<blank>", ""}));
        QCOMPARE(labelsOfRow(sheet, 2, 9),
                 (QStringList{"<blank>", "2024-03-06", "Debit", "Bank", "Shop", "4.25", "food",
                              "<blank>", "bread"}));
        QCOMPARE(sheet.at(2, 5)->kind, BiffCell::Number);
        QCOMPARE(sheet.at(1, 0)->format, quint16(0x17));
        QCOMPARE(sheet.at(1, 1)->format, quint16(0));
        // The footer: empty labels around "SUM" and the sum as a number.
        QCOMPARE(labelsOfRow(sheet, 3, 9),
                 (QStringList{"", "SUM", "", "", "", "14.25", "", "", ""}));
        QCOMPARE(sheet.at(3, 0)->kind, BiffCell::Label);
        QCOMPARE(sheet.at(3, 5)->kind, BiffCell::Number);
        // Row by row, left to right.
        for (size_t i = 0; i < sheet.order.size(); ++i)
            QCOMPARE(sheet.order[i], std::make_pair(int(i / 9), int(i % 9)));
    }

    void spreadsheetKeepsNumbersAsNumbers() {
        TestEnv env;
        TQuery q(&DM->conn);
        q.SQL = {QStringLiteral("select 5 as n, null as x, 'a' as t, 2.5 as r, 1099511627776 as "
                                "big, -3 as neg union all select 3, 1, 'b', 0.1, 0, 536870911")};
        q.Open();
        TDBGridEh grid;
        std::vector<TColumnEh> cols(6);
        const char* names[] = {"n", "x", "t", "r", "big", "neg"};
        for (size_t i = 0; i < cols.size(); ++i)
            cols[i].FieldName = QLatin1String(names[i]);
        cols[0].FooterType = TFooterValueType::fvtSum;
        cols[3].FooterType = TFooterValueType::fvtSum;
        grid.SetColumns(std::move(cols));
        grid.SetFooterRowCount(1);
        grid.SetDataSet(&q);

        const BiffSheet sheet = ReadBiff(ExportBytes<TDBGridEhExportAsXLS>(&grid));
        QVERIFY2(sheet.error.isEmpty(), qPrintable(sheet.error));
        QCOMPARE(sheet.at(1, 0)->kind, BiffCell::Rk);
        QCOMPARE(sheet.at(1, 0)->number, 5.0);
        QCOMPARE(sheet.at(1, 1)->kind, BiffCell::Blank);
        QCOMPARE(sheet.at(2, 1)->kind, BiffCell::Rk);
        QCOMPARE(sheet.at(1, 2)->label, QByteArray("a"));
        QCOMPARE(sheet.at(1, 3)->kind, BiffCell::Number);
        QCOMPARE(sheet.at(2, 3)->number, 0.1);
        // Beyond the 30 bits an RK holds the number is written as a NUMBER.
        QCOMPARE(sheet.at(1, 4)->kind, BiffCell::Number);
        QCOMPARE(sheet.at(1, 4)->number, 1099511627776.0);
        QCOMPARE(sheet.at(1, 5)->kind, BiffCell::Rk);
        QCOMPARE(sheet.at(1, 5)->number, -3.0);
        QCOMPARE(sheet.at(2, 5)->number, 536870911.0);
        QCOMPARE(sheet.at(3, 0)->number, 8.0);
        QCOMPARE(sheet.at(3, 3)->number, 2.6);

        const QList<QByteArray> text = lines(ExportBytes<TDBGridEhExportAsText>(&grid));
        QCOMPARE(text[1], QByteArray("5\t\ta\t2.5\t1099511627776\t-3\r"));
        QCOMPARE(text.back(), QByteArray("8\t\t\t2.6\t\t"));
    }

    void spreadsheetRowLimitAndLongTexts() {
        TestEnv env;
        const int bank = AddAccount(env, QStringLiteral("Bank"), 0);
        const QString memo(70000, QLatin1Char('m'));
        AddDetail(env, bank, 0, "2024-03-01 09:00:00", "1", "shop", memo);
        // With the titles and the footer, 65,534 rows fill the worksheet exactly.
        env.sql(QStringLiteral("insert into Detail (type, DestID, Date, Amount) select 0, %1, "
                               "'2024-03-02 09:00:00', 1 from (with recursive n(i) as (select 1 "
                               "union all select i + 1 from n where i < 65533) select i from n)")
                    .arg(bank));
        HistoryLikeGrid h;
        QCOMPARE(h.grid.RowCount(), 65534);
        const BiffSheet sheet = ReadBiff(ExportBytes<TDBGridEhExportAsXLS>(&h.grid));
        QVERIFY2(sheet.error.isEmpty(), qPrintable(sheet.error));
        QCOMPARE(sheet.rowCount(), 65536);
        QCOMPARE(sheet.at(0, 0)->label, QByteArray("No."));
        QCOMPARE(sheet.at(65535, 1)->label, QByteArray("SUM"));
        QCOMPARE(sheet.at(65535, 5)->number, 65534.0);
        // A text longer than a record can hold is cut where the record ends.
        QCOMPARE(sheet.at(1, 8)->label.size(), qsizetype(65527));

        AddDetail(env, bank, 0, "2024-03-03 09:00:00", "1");
        h.reload();
        QVERIFY_THROWS_EXCEPTION(EBudgetError, ExportBytes<TDBGridEhExportAsXLS>(&h.grid));
        // The other formats have no such limit.
        QCOMPARE(lines(ExportBytes<TDBGridEhExportAsText>(&h.grid)).size(), 65535 + 2);
    }

    void emptyListGivesTitlesAndZeroFooter() {
        TestEnv env;
        TTransactionList list;
        list.LoadList(AddAccount(env, QStringLiteral("Bank"), 0));
        QCOMPARE(list.dbgrdh1->RowCount(), 0);

        const BiffSheet sheet = ReadBiff(ExportBytes<TDBGridEhExportAsXLS>(list.dbgrdh1));
        QVERIFY2(sheet.error.isEmpty(), qPrintable(sheet.error));
        QCOMPARE(sheet.rowCount(), 2);
        QCOMPARE(sheet.at(1, colAmount)->kind, BiffCell::Number);
        QCOMPARE(sheet.at(1, colAmount)->number, 0.0);
        QCOMPARE(labelsOfRow(sheet, 1, 8), (QStringList{"", "SUM", "", "", "0", "", "", ""}));

        QCOMPARE(lines(ExportBytes<TDBGridEhExportAsText>(list.dbgrdh1)),
                 (QList<QByteArray>{"No.\tDate\tTypeName\tname\tAmount\tfrom\tfor\tmemo\r",
                                    "\tSUM\t\t\t0\t\t\t"}));
    }

    void textFileLines() {
        TestEnv env;
        const int bank = AddAccount(env, QStringLiteral("Bank"), 0);
        AddDetail(env, bank, 0, "2024-03-05 09:00:00", "10", "Boss", "", "pay");
        AddDetail(env, bank, 1, "2024-03-06 09:00:00", "4", "Shop", "a\tb", "food");
        HistoryLikeGrid h;
        const QByteArray text = ExportBytes<TDBGridEhExportAsText>(&h.grid);
        QVERIFY(!text.startsWith("\r\n") && !text.endsWith("\r\n"));
        QCOMPARE(text.count("\r\n"), 3);
        QCOMPARE(text.count('\n'), 3); // no bare line feeds
        QCOMPARE(lines(text),
                 (QList<QByteArray>{"No.\tDate\tType\tAcc/Wal\tfrom\tAmount\tfor\tTo\tmemo\r",
                                    "\t2024-03-05\tDeposit\tBank\tBoss\t10\tpay\t\t\r",
                                    "\t2024-03-06\tDebit\tBank\tShop\t4\tfood\t\ta\tb\r",
                                    "\tSUM\t\t\t\t14\t\t\t"}));

        // A line break inside a text is written as it is.
        env.sql(QStringLiteral("update Detail set Memo = 'x' || char(13, 10) || 'y' where "
                               "Amount = 4"));
        h.reload();
        QVERIFY(ExportBytes<TDBGridEhExportAsText>(&h.grid).contains("\tx\r\ny\r\n\tSUM"));
    }

    void webPage() {
        TestEnv env;
        const int bank = AddAccount(env, QStringLiteral("Bank"), 0);
        AddDetail(env, bank, 0, "2024-03-05 09:00:00", "10", "Boss", "A&B <x>", "\"pay\"");
        AddDetail(env, bank, 1, "2024-03-06 09:00:00", "4", "Shop", "", "food");
        HistoryLikeGrid h;
        h.grid.horizontalHeader()->resizeSection(8, 150);
        const QByteArray page = ExportBytes<TDBGridEhExportAsHTML>(&h.grid);
        const QList<QByteArray> l = page.split('\n');

        QVERIFY(page.startsWith("<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 3.2//EN\">\r\n<HTML>\r\n"
                                "<HEAD>\r\n<TITLE>\r\ndbgrdh1\r\n</TITLE>\r\n</HEAD>\r\n<BODY>\r\n"
                                "<TABLE BORDER=1 CELLSPACING=0 CELLPADDING=1 BGCOLOR=#F0F0F0>\r\n"
                                "\r\n<TR>\r\n"));
        QVERIFY(page.endsWith("</TR>\r\n</TABLE>\r\n</BODY>\r\n</HTML>\r\n"));
        const QByteArray font =
            "<FONT STYLE=\"font-family: MS Sans Serif; font-size: 9pt; color: #000000\">";
        QVERIFY(l.contains("  <TD WIDTH=30 ALIGN=\"LEFT\">" + font + "<B>No.</B></FONT></TD>\r"));
        QVERIFY(l.contains("  <TD WIDTH=100 ALIGN=\"LEFT\" BGCOLOR=#FFFFFF>" + font +
                           "<B>Deposit</B></FONT></TD>\r"));
        // Escaped without closing semicolons; an empty text is a blank.
        QVERIFY(l.contains("  <TD WIDTH=150 ALIGN=\"LEFT\" BGCOLOR=#FFFFFF>" + font +
                           "<B>A&ampB &ltx&gt</B></FONT></TD>\r"));
        QVERIFY(page.contains("<B>&quotpay&quot</B>"));
        QVERIFY(l.contains("  <TD WIDTH=150 ALIGN=\"LEFT\" BGCOLOR=#FFFFFF>" + font +
                           "<B>&nbsp</B></FONT></TD>\r"));
        // The unbound "To" column gives a blank.
        QVERIFY(l.contains("  <TD WIDTH=100 ALIGN=\"LEFT\" BGCOLOR=#FFFFFF>" + font +
                           "<B>&nbsp</B></FONT></TD>\r"));
        QVERIFY(l.contains("  <TD WIDTH=100 ALIGN=\"RIGHT\" BGCOLOR=#FFFFFF>" + font +
                           "<B>10</B></FONT></TD>\r"));
        QVERIFY(l.contains("  <TD WIDTH=100 ALIGN=\"RIGHT\" BGCOLOR=#CDCEE7>" + font +
                           "<B>14</B></FONT></TD>\r"));

        // Styles open and close in the same order; colours and size follow the font.
        QFont f = h.grid.font();
        f.setPixelSize(11);
        f.setBold(false);
        f.setItalic(true);
        f.setStrikeOut(true);
        h.grid.setFont(f);
        QPalette pal = h.grid.palette();
        pal.setColor(QPalette::Text, QColor(0x12, 0xAB, 0x0F));
        h.grid.setPalette(pal);
        QVERIFY(ExportBytes<TDBGridEhExportAsHTML>(&h.grid).contains(
            "<FONT STYLE=\"font-family: MS Sans Serif; font-size: 8pt; color: "
            "#12AB0F\"><I><STRIKE>Deposit</I></STRIKE></FONT>"));

        // Without lines, and without the three-dimensional look.
        h.grid.setShowGrid(false);
        QVERIFY(ExportBytes<TDBGridEhExportAsHTML>(&h.grid).contains(
            "<TABLE BORDER=0 CELLSPACING=0 CELLPADDING=1 "));
        h.grid.setShowGrid(true);
        h.grid.SetCtl3D(false);
        h.grid.SetFlat(false);
        QVERIFY(ExportBytes<TDBGridEhExportAsHTML>(&h.grid).contains(
            "<TABLE BORDER=0 CELLSPACING=1 CELLPADDING=2 "));
    }

    void filesHoldEveryDecimalOfTheSum() {
        TestEnv env;
        const int bank = AddAccount(env, QStringLiteral("Bank"), 0);
        AddDetail(env, bank, 0, "2024-03-05 09:00:00", "1.125");
        AddDetail(env, bank, 1, "2024-03-06 09:00:00", "2");
        TTransactionList list;
        showMonth(list, bank);
        QCOMPARE(list.dbgrdh1->FooterText(colAmount), QStringLiteral("3.13"));
        QCOMPARE(lines(ExportBytes<TDBGridEhExportAsText>(list.dbgrdh1)).back(),
                 QByteArray("\tSUM\t\t\t3.125\t\t\t"));
        const QString html = QString::fromLatin1(ExportBytes<TDBGridEhExportAsHTML>(list.dbgrdh1));
        QVERIFY(html.contains(QLatin1String(">3.125</FONT>")));
        // Its "No." column centres the numbers; its title stands left, as every title does.
        QVERIFY(html.contains(
            QRegularExpression(QStringLiteral("<TD WIDTH=30 ALIGN=\"LEFT\"><FONT[^>]*>No\\.<"))));
        QVERIFY(html.contains(QLatin1String("<TD WIDTH=30 ALIGN=\"CENTER\" BGCOLOR=")));
        const BiffSheet sheet = ReadBiff(ExportBytes<TDBGridEhExportAsXLS>(list.dbgrdh1));
        QCOMPARE(sheet.at(3, colAmount)->number, 3.125);
        QCOMPARE(sheet.at(1, colAmount)->number, 1.125);
    }

    void exportFollowsTheGridAndLeavesItAsItWas() {
        TestEnv env;
        const int bank = AddAccount(env, QStringLiteral("Bank"), 0);
        AddDetail(env, bank, 0, "2024-03-05 09:00:00", "30", "c");
        AddDetail(env, bank, 0, "2024-03-06 09:00:00", "10", "a");
        AddDetail(env, bank, 0, "2024-03-07 09:00:00", "20", "b");
        TTransactionList list;
        showMonth(list, bank);
        SortGrid(list.dbgrdh1, colAmount);
        list.dbgrdh1->selectRow(1);
        list.qryList.SetRecNo(3);
        const QModelIndex current = list.dbgrdh1->currentIndex();

        QList<QByteArray> text = lines(ExportBytes<TDBGridEhExportAsText>(list.dbgrdh1));
        QCOMPARE(text.size(), 5);
        QVERIFY(text[1].contains("\t10\ta\t") && text[2].contains("\t20\tb\t") &&
                text[3].contains("\t30\tc\t"));
        QCOMPARE(list.dbgrdh1->currentIndex(), current);
        QCOMPARE(list.dbgrdh1->SelectedRows(), std::vector<int>{1});
        QCOMPARE(list.dbgrdh1->SortMarker(colAmount), TSortMarker::smUp);
        QCOMPARE(list.qryList.Sort(), QStringLiteral("Amount"));
        QCOMPARE(list.qryList.RecNo(), 3);

        // Columns go in display order; hidden ones stay out.
        list.dbgrdh1->horizontalHeader()->moveSection(colAmount, 1);
        list.dbgrdh1->setColumnHidden(7, true);
        text = lines(ExportBytes<TDBGridEhExportAsText>(list.dbgrdh1));
        QCOMPARE(text[0], QByteArray("No.\tAmount\tDate\tTypeName\tname\tfrom\tfor\r"));
        QCOMPARE(text.back(), QByteArray("\t60\tSUM\t\t\t\t"));
        // Only the selected rows when not all are asked for.
        text = lines(ExportBytes<TDBGridEhExportAsText>(list.dbgrdh1, false));
        QCOMPARE(text.size(), 3);
        QVERIFY(text[1].startsWith("\t20\t"));
    }

    void charactersOutsideTheSpreadsheetSet() {
        TestEnv env;
        const QString name = QStringLiteral("Zo\u00EB \u20ACuro \u65E5\u672C \U0001F600\u0160");
        const int bank = AddAccount(env, name, 0);
        AddDetail(env, bank, 0, "2024-03-05 09:00:00", "1");
        TTransactionList list;
        showMonth(list, bank);
        const BiffSheet sheet = ReadBiff(ExportBytes<TDBGridEhExportAsXLS>(list.dbgrdh1));
        QVERIFY2(sheet.error.isEmpty(), qPrintable(sheet.error));
        QCOMPARE(sheet.at(1, 3)->label.toHex(' '),
                 QByteArray("5a 6f eb 20 80 75 72 6f 20 3f 3f 20 3f 8a"));
        // Text and web page keep every character, in the system's set.
        QVERIFY(ExportBytes<TDBGridEhExportAsText>(list.dbgrdh1).contains(name.toUtf8()));
        QVERIFY(ExportBytes<TDBGridEhExportAsHTML>(list.dbgrdh1).contains(name.toUtf8()));
    }
};

BUDGET_TEST(ExportFilesTest)
#include "ExportFilesTest.moc"
