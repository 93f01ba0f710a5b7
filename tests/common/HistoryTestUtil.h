#pragma once

#include "TestData.h"

#include "history/UtAccountHistory.h"
#include "history/UtHistoryQuery.h"

#include <QComboBox>
#include <QDateTimeEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <functional>

// Criteria for the query dialog; every field is set on each run, so nothing carries
// over from an earlier one unless a test wants it to.
struct HistoryCriteria {
    QDate from{2024, 3, 1}, to{2024, 3, 31};
    int accWal = 0;
    int type = 0;
    QString fromText, min, max, toText, memo;
};

// Runs the window's Query command: the dialog is looked at (when `look` is given), set
// to the criteria and confirmed with "&Query".
inline void RunHistoryQuery(TFrmAccountHistory& frm, const HistoryCriteria& c,
                            const std::function<void(TFrmHistoryQuery&)>& look = {}) {
    TestData::ModalsOpenedBy([&] { frm.btnQuery->click(); },
                             [&](QDialog* d) {
                                 auto* q = qobject_cast<TFrmHistoryQuery*>(d);
                                 if (!q)
                                     return;
                                 if (look)
                                     look(*q);
                                 q->dtp1->setDate(c.from);
                                 q->dtp2->setDate(c.to);
                                 q->cbbAccWal->setCurrentIndex(c.accWal);
                                 q->cbbType->setCurrentIndex(c.type);
                                 q->edtFrom->setText(c.fromText);
                                 q->edtAmount1->setText(c.min);
                                 q->edtAmount2->setText(c.max);
                                 q->edtTo->setText(c.toText);
                                 q->edtMemo->setText(c.memo);
                                 q->btnOK->click();
                             });
}

// The list position of a row with this id and kind name ("Trans In"), or -1.
inline int HistoryRowOf(TFrmAccountHistory& frm, int id, const QString& typeName) {
    TQuery& q = frm.qryList;
    for (int r = 1; r <= q.RecordCount(); ++r) {
        q.SetRecNo(r);
        if (q.FieldByName(QStringLiteral("ID")).AsInteger() == id &&
            q.FieldByName(QStringLiteral("TypeName")).AsString() == typeName)
            return r - 1;
    }
    return -1;
}
