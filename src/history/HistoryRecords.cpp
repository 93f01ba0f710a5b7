// The history window's record commands: Edit, Delete and Copy of the selected rows.
#include "history/HistoryRecords.h"

#include "data/UtDM.h"
#include "data/UtFormat.h"
#include "data/UtQuery.h"
#include "grid/DBGridEh.h"
#include "history/UtAccountHistory.h"
#include "platform/Platform.h"
#include "transactions/UtDebit.h"
#include "transactions/UtDeposit.h"
#include "transactions/UtTransfer.h"
#include "ui/Guarded.h"
#include "ui/Modal.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QScopeGuard>
#include <optional>

QStringList DeleteStatements(const THistoryRecord& r) {
    switch (r.Type) {
    case 0:
        return {FormatSQL(QStringLiteral("update account set balance=balance - %f where id=%d"),
                          {r.Amount, r.AccID}),
                FormatSQL(QStringLiteral("delete from detail where id=%d "), {r.ID})};
    case 1:
        return {FormatSQL(QStringLiteral("update account set balance=balance + %f where id=%d"),
                          {r.Amount, r.AccID}),
                FormatSQL(QStringLiteral("delete from detail where id=%d "), {r.ID})};
    case 2:
    case 3:
        return {FormatSQL(QStringLiteral("update account set balance=balance + %f where "
                                         "id=(select SourceID from transfer where ID=%d);"),
                          {r.Amount, r.ID}),
                FormatSQL(QStringLiteral("update account set balance=balance - %f where "
                                         "id=(select DestID from transfer where ID=%d);"),
                          {r.Amount, r.ID}),
                FormatSQL(QStringLiteral("delete from transfer where id=%d "), {r.ID})};
    default:
        return {};
    }
}

namespace {

// The record as the file holds it now, read inside the delete's transaction: the list
// may be older than the file, since another copy of the program can have edited the
// record (another amount, another account) or deleted it meanwhile. None when it is
// gone; there is then nothing to give back.
std::optional<THistoryRecord> storedRecord(TConnection& conn, const THistoryRecord& shown) {
    const bool detail = shown.Type == 0 || shown.Type == 1;
    if (!detail && shown.Type != 2 && shown.Type != 3)
        return shown;
    TQuery q(&conn);
    q.SQL << (detail ? QStringLiteral("select type, DestID, Amount from Detail where ID=:a")
                     : QStringLiteral("select Amount from Transfer where ID=:a"));
    q.SetParam(QStringLiteral("a"), shown.ID);
    q.Open();
    if (q.Eof())
        return std::nullopt;
    THistoryRecord now = shown;
    now.Amount = q.FieldByName(QStringLiteral("Amount")).AsMoney();
    if (detail) {
        now.Type = q.FieldByName(QStringLiteral("type")).AsInteger();
        now.AccID = q.FieldByName(QStringLiteral("DestID")).AsInteger();
    }
    return now;
}

} // namespace

void DeleteHistoryRecords(TConnection& conn, const std::vector<THistoryRecord>& records) {
    TTransactionGuard transaction(conn);
    for (const THistoryRecord& shown : records)
        if (const std::optional<THistoryRecord> r = storedRecord(conn, shown))
            for (const QString& statement : DeleteStatements(*r))
                conn.Execute(statement);
    transaction.Commit();
}

namespace {

QString longTimeFormat() {
    // The locale's long time without the time zone, which a stored time does not have.
    QString format = QLocale().timeFormat(QLocale::LongFormat);
    format.remove(u't');
    return format.trimmed();
}

QString storedDate(const QString& text, bool withTime) {
    const QDateTime dt = QDateTime::fromString(text, StoredDateTimeFormat);
    if (dt.isValid()) {
        const QString date = QLocale().toString(dt.date(), FourDigitYearDateFormat());
        if (!withTime || dt.time() == QTime(0, 0))
            return date;
        return date + u' ' + QLocale().toString(dt.time(), longTimeFormat());
    }
    const QDate d = QDate::fromString(text, StoredDateFormat);
    return d.isValid() ? QLocale().toString(d, FourDigitYearDateFormat()) : text;
}

// A field's plain text as Copy puts it on the clipboard.
QString copyText(const TField& field) {
    if (field.IsNull())
        return {};
    const QString name = field.FieldName();
    if (name.compare(QLatin1String("date"), Qt::CaseInsensitive) == 0)
        return storedDate(field.AsString(), true);
    if (name.compare(QLatin1String("Date1"), Qt::CaseInsensitive) == 0)
        return storedDate(field.AsString(), false);
    if (name.compare(QLatin1String("Amount"), Qt::CaseInsensitive) == 0)
        return field.AsMoney().toPlainString();
    return field.AsString();
}

} // namespace

void TFrmAccountHistory::btnEditClick() {
    const std::vector<int> rows = dbgrdh1->SelectedRows();
    if (rows.empty() || !qryList.Active())
        return;
    qryList.SetRecNo(rows.front() + 1);
    const int id = qryList.FieldByName(QStringLiteral("ID")).AsInteger();
    const int type = qryList.FieldByName(QStringLiteral("type")).AsInteger();
    // The list shows what was saved whatever the entry window did; a list that cannot
    // be read again is reported on its own.
    const auto reload = qScopeGuard([this] { Guarded([this] { openList(); }); });
    if (type == 0) {
        TFrmDeposit frm(this);
        frm.LoadForEdit(id);
        ShowModal(frm);
    } else if (type == 1) {
        TFrmDebit frm(this);
        frm.LoadForEdit(id);
        ShowModal(frm);
    } else {
        TFrmTransfer frm(this);
        frm.LoadForEdit(id);
        ShowModal(frm);
    }
}

void TFrmAccountHistory::btnDeleteClick() {
    const std::vector<int> rows = dbgrdh1->SelectedRows();
    if (rows.empty() || !qryList.Active()) {
        ShowMessage(this, QStringLiteral("ERROR"),
                    QStringLiteral("Please select an record to delete!"), MsgIcon::Information,
                    mbOK);
        return;
    }
    if (ShowMessage(this, QStringLiteral("Query"),
                    QStringLiteral("Are you sure to delete this record?"), MsgIcon::Question,
                    mbYes | mbNo) != mbYes)
        return;
    std::vector<THistoryRecord> records;
    records.reserve(rows.size());
    for (const int row : rows) {
        qryList.SetRecNo(row + 1);
        records.push_back({qryList.FieldByName(QStringLiteral("ID")).AsInteger(),
                           qryList.FieldByName(QStringLiteral("type")).AsInteger(),
                           qryList.FieldByName(QStringLiteral("AccID")).AsInteger(),
                           qryList.FieldByName(QStringLiteral("amount")).AsMoney()});
    }
    DeleteHistoryRecords(DM->conn, records);
    openList();
}

void TFrmAccountHistory::btnCopyClick() {
    const std::vector<int> rows = dbgrdh1->SelectedRows();
    if (rows.empty() || !qryList.Active())
        return;
    // date, TypeName, memo, Date1, from, Amount, for: each ends with a comma.
    static const int columns[] = {4, 2, 9, 5, 6, 7, 8};
    QString text;
    for (const int row : rows) {
        qryList.SetRecNo(row + 1);
        for (const int c : columns)
            text += copyText(qryList.Field(c)) + u',';
        text += QStringLiteral("\r\n");
    }
    QGuiApplication::clipboard()->setText(text);
}
