#include "import/OfxReader.h"

#include "import/OfxScan.h"
#include "import/StatementText.h"

#include <QDir>
#include <QFile>
#include <QTemporaryFile>
#include <cstring>
#include <libofx/libofx.h>

// The library's switches for what it prints on the standard error stream.
extern int ofx_PARSER_msg, ofx_DEBUG_msg, ofx_DEBUG1_msg, ofx_DEBUG2_msg, ofx_DEBUG3_msg,
    ofx_DEBUG4_msg, ofx_DEBUG5_msg, ofx_STATUS_msg, ofx_INFO_msg, ofx_WARNING_msg, ofx_ERROR_msg;

namespace {

// A text field of the library's: fixed-size, and not always NUL-terminated.
template <size_t N> QString libraryText(const char (&field)[N]) {
    return QString::fromUtf8(field, qsizetype(strnlen(field, N)));
}

struct Decoded {
    QString name, memo;
    bool seen = false;
};

int onTransaction(const struct OfxTransactionData data, void* user) {
    auto* texts = static_cast<std::vector<Decoded>*>(user);
    if (!data.fi_id_valid)
        return 0;
    bool ok = false;
    const qulonglong k = libraryText(data.fi_id).toULongLong(&ok);
    if (!ok || k >= texts->size())
        return 0;
    Decoded& d = (*texts)[size_t(k)];
    d.seen = true;
    if (data.name_valid)
        d.name = libraryText(data.name);
    if (data.memo_valid)
        d.memo = libraryText(data.memo);
    return 0;
}

void quietLibrary() {
    for (int* flag : {&ofx_PARSER_msg, &ofx_DEBUG_msg, &ofx_DEBUG1_msg, &ofx_DEBUG2_msg,
                      &ofx_DEBUG3_msg, &ofx_DEBUG4_msg, &ofx_DEBUG5_msg, &ofx_STATUS_msg,
                      &ofx_INFO_msg, &ofx_WARNING_msg, &ofx_ERROR_msg})
        *flag = 0;
}

// Has the library read one piece; the texts of its transactions land in `texts`.
void readChunk(const QByteArray& document, std::vector<Decoded>& texts) {
    QTemporaryFile file(QDir::tempPath() + QStringLiteral("/budget-ofx-XXXXXX.ofx"));
    if (!file.open() || file.write(document) != document.size() || !file.flush())
        throw EStatementUnreadable{
            QStringLiteral("The OFX statement could not be handed to the OFX library: %1.")
                .arg(file.errorString())};
    file.close();
    LibofxContextPtr ctx = libofx_get_new_context();
    ofx_set_transaction_cb(ctx, onTransaction, &texts);
    // What the library makes of a piece is in the callbacks; a transaction it did not
    // report is told as such on its line.
    libofx_proc_file(ctx, QFile::encodeName(file.fileName()).constData(), OFX);
    libofx_free_context(ctx);
}

} // namespace

TStatement ReadOfx(const QByteArray& bytes, const QString& fileName, const TProgress& progress) {
    quietLibrary();
    // The scan takes about a tenth of the time, the library the rest.
    const qint64 whole = 1000;
    const TProgress scanned = [&](qint64 done, qint64 total) {
        return !progress || progress(done * 100 / std::max<qint64>(total, 1), whole);
    };
    const TOfxScan scan = ScanOfx(bytes, fileName, scanned);

    TStatement st;
    st.Format = StatementFormat::Ofx;
    for (const TOfxAccount& a : scan.Accounts) {
        TStatementAccount account;
        const QString bank = OfxText(scan, a.BankId).trimmed();
        const QString id = OfxText(scan, a.AcctId).trimmed();
        account.Id = bank.isEmpty() ? id : bank + u' ' + id;
        account.Name =
            a.CreditCard ? QStringLiteral("Credit card") : QStringLiteral("Bank account");
        st.Accounts.push_back(account);
    }
    if (st.Accounts.empty())
        st.Accounts.push_back({});

    const size_t n = scan.Transactions.size();
    std::vector<Decoded> texts(n);
    TProgressTicker tick(progress, whole, 1);
    for (size_t from = 0; from < n;) {
        size_t to = from;
        while (to < n && to - from < OfxChunkTransactions &&
               scan.Transactions[to].Account == scan.Transactions[from].Account)
            ++to;
        std::vector<Decoded> piece(to - from);
        readChunk(OfxChunk(scan, from, to), piece);
        std::move(piece.begin(), piece.end(), texts.begin() + qsizetype(from));
        from = to;
        tick(100 + qint64(from) * 900 / qint64(n));
    }

    st.Lines.reserve(n);
    for (size_t k = 0; k < n; ++k) {
        const TOfxTransaction& t = scan.Transactions[k];
        TStatementLine line;
        line.LineNo = t.LineNo;
        line.Account = t.Account;
        line.SourceId = OfxText(scan, t.FitId).trimmed();
        line.Party = texts[k].name.trimmed();
        QStringList memo{texts[k].memo.trimmed()};
        if (!t.CheckNum.trimmed().isEmpty())
            memo << QStringLiteral("No. ") + OfxText(scan, t.CheckNum).trimmed();
        memo.removeAll(QString());
        line.Memo = memo.join(QStringLiteral("; "));
        line.Date = ParseOfxDate(t.DtPosted);
        QString why;
        const std::optional<Money> amount = ParseOfxAmount(t.TrnAmt, &why);
        if (amount)
            line.Amount = *amount;
        if (!line.Date.isValid())
            line.Error = DateError(OfxText(scan, t.DtPosted));
        else if (!amount)
            line.Error = why;
        else if (!texts[k].seen)
            line.Error = QStringLiteral("the OFX library could not read this transaction");
        st.Lines.push_back(std::move(line));
    }
    return st;
}
