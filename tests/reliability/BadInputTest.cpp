// Hostile input in every box a user types into that is saved: texts that are SQL,
// patterns, escapes, very long, in other scripts or with control characters; amounts
// that are not plain numbers. Each is either stored and shown back exactly as the box
// held it (trimmed, control characters left out) or refused with the window's message.
#include "HistoryTestUtil.h"
#include "TestData.h"
#include "TestEnv.h"
#include "UserActions.h"

#include "accounts/UtBankAccount.h"
#include "accounts/UtWallet.h"
#include "app/UtMain.h"
#include "cards/UtCards.h"
#include "history/UtAccountHistory.h"
#include "transactions/UtDebit.h"
#include "transactions/UtDeposit.h"
#include "transactions/UtTransfer.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

using namespace TestData;
using namespace UserActions;

namespace {

QStringList hostileTexts() {
    return {QStringLiteral("O'Brien \"the\" 'quoted'''"),
            QStringLiteral("100% _off_ %% %s %d %f %m"),
            QStringLiteral("C:\\path\\to\\ \\' \\\\"),
            QStringLiteral("'; DROP TABLE Account; --"),
            QStringLiteral("#2024-01-01# top 5 A.from [name] :a"),
            QString::fromUtf8("Caf\xc3\xa9 \xf0\x9f\x98\x80\xf0\x9f\x92\xb8 \xe2\x82\xac"),
            QString::fromUtf8(
                "\xd7\xa9\xd7\x9c\xd7\x95\xd7\x9d \xd9\x85\xd8\xb1\xd8\xad\xd8\xa8\xd8\xa7 "
                "\xe2\x80\x8fRTL\xe2\x80\xae"),
            QStringLiteral("ctrl\x01\x02\x1b[0m\ttab\r\nline\x7f end"),
            QStringLiteral("  padded  "),
            QString(254, u'a') + QString::fromUtf8("\xf0\x9f\x98\x80"),
            QString(100000, u'w')};
}

// What a box's text becomes when saved: control characters left out (a memo keeps its
// line breaks and tabs), so is half a character that a box's length limit cut off, and
// blanks at both ends trimmed.
QString stored(const QString& shown, bool memo) {
    QString out;
    for (const QChar c : shown)
        if (c.category() != QChar::Other_Control || (memo && (c == u'\n' || c == u'\t')))
            out += c;
    if (!out.isEmpty() && out.back().isHighSurrogate())
        out.chop(1);
    return out.trimmed();
}

// No half of a character cut off (an emoji is two UTF-16 units) and nothing lost in
// the way to the file and back.
bool wellFormed(const QString& s) {
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (s.at(i).isHighSurrogate() && i + 1 < s.size() && s.at(i + 1).isLowSurrogate())
            ++i;
        else if (s.at(i).isSurrogate())
            return false;
    }
    return !s.contains(QChar::ReplacementCharacter);
}

} // namespace

class BadInputTest : public QObject {
    Q_OBJECT
private slots:
    void hostileTextsAreStoredAndShownBackExactly() {
        TestEnv env;
        EnsureCardBitmaps(env);
        const int bank = AddAccount(env, QStringLiteral("Bank"), 0);
        const int cash = AddAccount(env, QStringLiteral("Cash"), 2);
        int tried = 0;
        for (const QString& text : hostileTexts()) {
            const QString context = text.left(40);
            // Deposit and debit: party, "For:" and memo, shown again when edited.
            for (bool debit : {false, true}) {
                std::unique_ptr<TFrmDeposit> f(debit ? new TFrmDebit : new TFrmDeposit);
                f->PresetAccount(bank);
                f->show();
                f->cbbParty->setEditText(text);
                f->edtAmmount->setText(QStringLiteral("1"));
                f->edtFor->setText(text);
                f->mmoMemo->setPlainText(text);
                const QString party = f->cbbParty->currentText(), forText = f->edtFor->text(),
                              memo = f->mmoMemo->toPlainText();
                f->btnOK->click();
                if (stored(party, false).isEmpty()) {
                    QVERIFY2(f->isVisible(), qPrintable(context));
                    continue;
                }
                QVERIFY2(!f->isVisible(), qPrintable(context));
                const int id = env.sql(QStringLiteral("select max(ID) from Detail")).toInt();
                const QString storedParty =
                    env.sql(QStringLiteral("select [From] from Detail where ID=%1").arg(id))
                        .toString();
                QCOMPARE(storedParty, stored(party, false));
                QVERIFY2(wellFormed(storedParty), qPrintable(context));
                QCOMPARE(env.sql(QStringLiteral("select [For] from Detail where ID=%1").arg(id))
                             .toString(),
                         stored(forText, false));
                QCOMPARE(env.sql(QStringLiteral("select Memo from Detail where ID=%1").arg(id))
                             .toString(),
                         stored(memo, true));
                std::unique_ptr<TFrmDeposit> again(debit ? new TFrmDebit : new TFrmDeposit);
                again->LoadForEdit(id);
                QCOMPARE(again->cbbParty->currentText(), stored(party, false));
                QCOMPARE(again->mmoMemo->toPlainText(), stored(memo, true));
                ++tried;
            }

            // Transfer: the same three boxes.
            {
                TFrmTransfer f;
                f.SetEndpoints(bank, cash);
                f.show();
                f.cbbFrom->setEditText(text);
                f.edtAmmount->setText(QStringLiteral("1"));
                f.edtFor->setText(text);
                f.mmoMemo->setPlainText(text);
                const QString party = f.cbbFrom->currentText(), memo = f.mmoMemo->toPlainText();
                f.btnSave->click();
                if (!stored(party, false).isEmpty()) {
                    const int id = env.sql(QStringLiteral("select max(ID) from Transfer")).toInt();
                    QCOMPARE(
                        env.sql(QStringLiteral("select [From] from Transfer where ID=%1").arg(id))
                            .toString(),
                        stored(party, false));
                    QCOMPARE(
                        env.sql(QStringLiteral("select Memo from Transfer where ID=%1").arg(id))
                            .toString(),
                        stored(memo, true));
                    ++tried;
                }
            }

            // Account and wallet editors: name, URL and memo; the name is found again by
            // the lookup that goes by name, and the card shows it.
            for (bool wallet : {false, true}) {
                TFrmMain frm;
                const int before = env.sql(QStringLiteral("select count(*) from Account")).toInt();
                QString name, url, memo;
                ModalsOpenedBy(
                    [&] { wallet ? frm.mniMenu_NewWalletClick() : frm.mniMenu_NewAccountClick(); },
                    [&](QDialog* d) {
                        auto* edtName = d->findChild<QLineEdit*>(QStringLiteral("edtName"));
                        auto* edtURL = d->findChild<QLineEdit*>(QStringLiteral("edtURL"));
                        auto* memoBox = d->findChild<QPlainTextEdit*>(QStringLiteral("Memo"));
                        edtName->setText(text);
                        edtURL->setText(text);
                        memoBox->setPlainText(text);
                        name = edtName->text();
                        url = edtURL->text();
                        memo = memoBox->toPlainText();
                        d->findChild<QPushButton*>(wallet ? QStringLiteral("btnOK")
                                                          : QStringLiteral("btnSave"))
                            ->click();
                    });
                if (stored(name, false).isEmpty()) {
                    QCOMPARE(env.sql(QStringLiteral("select count(*) from Account")).toInt(),
                             before);
                    continue;
                }
                const int id = env.sql(QStringLiteral("select max(ID) from Account")).toInt();
                const PDataInfo info = TDM::FindAccountInfo(stored(name, false), wallet);
                QCOMPARE(info->ID, id);
                QCOMPARE(info->URL, stored(url, false));
                QCOMPARE(info->Memo, stored(memo, true));
                QVERIFY2(wellFormed(info->Name), qPrintable(context));
                QCOMPARE(FindCard(wallet ? frm.Panels->WalletList : frm.Panels->AccountList, id)
                             ->Info->Name,
                         stored(name, false));
                ++tried;
            }
        }
        QVERIFY(BalanceMismatches(env).isEmpty());
        qInfo("%d hostile texts saved and read back", tried);
    }

    // The history's search box and the query dialog's text boxes take any text as the
    // text to look for: a quote, a percent sign or an underscore is looked for itself.
    void hostileSearchesFindExactlyTheRecordsHoldingThem() {
        TestEnv env;
        EnsureCardBitmaps(env);
        const int bank = AddAccount(env, QStringLiteral("Bank"), 0);
        const QString today = QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd 12:00:00"));
        QStringList parties = hostileTexts();
        parties << QStringLiteral("100 off") << QStringLiteral("Xoff") << QStringLiteral("C:/path");
        for (const QString& party : parties)
            AddDetail(env, bank, 0, today, QStringLiteral("1"), stored(party, false),
                      QStringLiteral("m"), QStringLiteral("f"));
        SettleBalances(env);

        TFrmAccountHistory frm;
        frm.show();
        int tried = 0;
        for (const QString& text : hostileTexts()) {
            const size_t shown = env.messages->messages.size();
            frm.edtSearch->setText(text.left(300));
            const QString sought = frm.edtSearch->text();
            QCOMPARE(env.messages->messages.size(), shown);
            int expected = 0;
            for (const QString& party : parties)
                expected += stored(party, false).contains(sought, Qt::CaseInsensitive) ||
                            QStringLiteral("f").contains(sought, Qt::CaseInsensitive) ||
                            QStringLiteral("m").contains(sought, Qt::CaseInsensitive);
            QVERIFY2(frm.qryList.RecordCount() == expected,
                     qPrintable(QStringLiteral("%1: %2 rows, %3 expected")
                                    .arg(sought.left(30))
                                    .arg(frm.qryList.RecordCount())
                                    .arg(expected)));

            HistoryCriteria c;
            c.from = QDate::currentDate().addDays(-1);
            c.to = QDate::currentDate().addDays(1);
            c.fromText = sought;
            RunHistoryQuery(frm, c);
            QCOMPARE(env.messages->messages.size(), shown);
            // The dialog looks for its text trimmed, as texts are saved trimmed; an empty
            // one is no criterion.
            const QString criterion = sought.trimmed();
            int fromExpected = 0;
            for (const QString& party : parties)
                fromExpected += stored(party, false).contains(criterion, Qt::CaseInsensitive);
            QVERIFY2(frm.qryList.RecordCount() == fromExpected,
                     qPrintable(QStringLiteral("From %1: %2 rows, %3 expected")
                                    .arg(sought.left(30))
                                    .arg(frm.qryList.RecordCount())
                                    .arg(fromExpected)));
            ++tried;
        }

        // Amount bounds that are not numbers: the dialog's own message, no query run.
        for (const QString& bound :
             {QStringLiteral("1e5"), QStringLiteral("--5"), QStringLiteral("'; --"),
              QStringLiteral("   "), QString(100000, u'9')}) {
            HistoryCriteria c;
            c.min = bound;
            const size_t shown = env.messages->messages.size();
            RunHistoryQuery(frm, c);
            QCOMPARE(env.messages->messages.size(), shown + 1);
            QCOMPARE(env.messages->messages.back().text,
                     QStringLiteral("The minimum amount of money must be a number!"));
        }
        qInfo("%d hostile searches", tried);
    }

    void amountsThatAreNotPlainNumbersAreRefused() {
        TestEnv env;
        EnsureCardBitmaps(env);
        const int bank = AddAccount(env, QStringLiteral("Bank"), 0);
        const int cash = AddAccount(env, QStringLiteral("Cash"), 2);
        const QString before = Snapshot(env);
        const QStringList amounts = {QStringLiteral("1e5"),
                                     QStringLiteral("--5"),
                                     QStringLiteral("5-"),
                                     QStringLiteral("1,2,3"),
                                     QStringLiteral("."),
                                     QStringLiteral("-"),
                                     QStringLiteral("99999999999999999"),
                                     QStringLiteral("1.2.3"),
                                     QStringLiteral("0x1F"),
                                     QStringLiteral("5 5"),
                                     QStringLiteral("1'000"),
                                     QStringLiteral("NaN"),
                                     QStringLiteral("inf"),
                                     QString::fromUtf8("\xd9\xa1\xd9\xa2\xd9\xa3"),
                                     QString::fromUtf8("\xef\xbc\x95"),
                                     QString::fromUtf8("\xf0\x9f\x92\xb0"),
                                     QStringLiteral("5\x01"),
                                     QStringLiteral("'; --"),
                                     QString(100000, u'9'),
                                     QStringLiteral("10000000000.01"),
                                     QStringLiteral("-10000000001")};
        const QString notANumber = QStringLiteral("The AMOUNT for deposit is not a valid number.");
        for (const QString& amount : amounts) {
            EntryInput in;
            in.amount = amount;
            for (bool debit : {false, true}) {
                const size_t shown = env.messages->messages.size();
                QVERIFY2(!NewDetail(debit, bank, in), qPrintable(amount.left(20)));
                QCOMPARE(env.messages->messages.size(), shown + 1);
                QCOMPARE(env.messages->messages.back().text, notANumber);
            }
            QVERIFY(!NewTransfer(bank, cash, in));
            QCOMPARE(env.messages->messages.back().text, notANumber);
        }
        QCOMPARE(Snapshot(env), before);

        // Blanks around a number, a sign, a bare fraction are all plain numbers.
        const QStringList plain = {QStringLiteral(" 7 "), QStringLiteral("+3"),
                                   QStringLiteral(".5"), QStringLiteral("-0.25"),
                                   QStringLiteral("9999999000")};
        for (const QString& amount : plain) {
            EntryInput in;
            in.amount = amount;
            QVERIFY2(NewDetail(false, bank, in), qPrintable(amount));
        }
        QCOMPARE(Balance(env, bank), QStringLiteral("9999999010.25"));
        QVERIFY(BalanceMismatches(env).isEmpty());
        qInfo("%d amounts refused in three windows", int(amounts.size()));
    }
};

BUDGET_TEST(BadInputTest)
#include "BadInputTest.moc"
