#include "history/UtHistoryQuery.h"

#include "data/Money.h"
#include "data/UtDM.h"
#include "lists/CombinedQuery.h"
#include "platform/Platform.h"
#include "ui/Guarded.h"
#include "ui/Skin.h"
#include "ui/WindowParts.h"

#include <QComboBox>
#include <QDateTimeEdit>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

// The picker holds a date and a time of day but shows the date; slim, it leaves the 87
// pixels to the date.
QDateTimeEdit* datePicker(QWidget* parent, const char* name, int left, int top) {
    return DatePicker(new QDateTimeEdit(parent), name, QRect(left, top, 87, 21),
                      FourDigitYearDateFormat(), 11);
}

QComboBox* pickList(QWidget* parent, const char* name, int left, int top) {
    return PickList(parent, name, QRect(left, top, 188, 21));
}

QLineEdit* textBox(QWidget* parent, const char* name, int left, int top, int width) {
    return Placed(new QLineEdit(parent), name, QRect(left, top, width, 21));
}

} // namespace

TFrmHistoryQuery::TFrmHistoryQuery(QWidget* parent) : QDialog(parent) {
    buildControls();
    FormCreate();
}

void TFrmHistoryQuery::buildControls() {
    SetupFixedWindow(this, QStringLiteral("Query for History"), 300, 286);
    setFont(HistoryFont(font(), 12));

    grp1 = Placed(new QGroupBox(QStringLiteral("Basic Info"), this), "grp1", QRect(8, 3, 281, 113));
    lbl1 = Label(grp1, "lbl1", QStringLiteral("Date:"), QPoint(29, 28));
    dtp1 = datePicker(grp1, "dtp1", 69, 24);
    lbl3 = Label(grp1, "lbl3", QStringLiteral("to"), QPoint(158, 28));
    dtp2 = datePicker(grp1, "dtp2", 171, 24);
    lbl2 = Label(grp1, "lbl2", QStringLiteral("Acc/Wal:"), QPoint(6, 56));
    cbbAccWal = pickList(grp1, "cbbAccWal", 70, 53);
    lbl4 = Label(grp1, "lbl4", QStringLiteral("Type:"), QPoint(28, 83));
    cbbType = pickList(grp1, "cbbType", 70, 80);

    grp2 =
        Placed(new QGroupBox(QStringLiteral("Match info"), this), "grp2", QRect(8, 123, 281, 126));
    lbl5 = Label(grp2, "lbl5", QStringLiteral("From:"), QPoint(32, 19));
    edtFrom = textBox(grp2, "edtFrom", 70, 16, 188);
    lbl6 = Label(grp2, "lbl6", QStringLiteral("Amount:"), QPoint(17, 46));
    edtAmount1 = textBox(grp2, "edtAmount1", 70, 42, 83);
    lbl9 = Label(grp2, "lbl9", QStringLiteral("to"), QPoint(158, 46));
    edtAmount2 = textBox(grp2, "edtAmount2", 175, 42, 83);
    lbl7 = Label(grp2, "lbl7", QStringLiteral("To:"), QPoint(44, 72));
    edtTo = textBox(grp2, "edtTo", 70, 68, 188);
    lbl8 = Label(grp2, "lbl8", QStringLiteral("Memo:"), QPoint(26, 98));
    edtMemo = textBox(grp2, "edtMemo", 70, 95, 188);

    btnOK =
        Placed(new QPushButton(ToolPicture(TToolPicture::Query), QStringLiteral("&Query"), this),
               "btnOK", QRect(115, 257, 75, 25));
    btnOK->setDefault(true);
    btnOK->setAutoDefault(true);
    btnClose =
        Placed(new QPushButton(ToolPicture(TToolPicture::Exit), QStringLiteral("&Close"), this),
               "btnClose", QRect(206, 257, 75, 25));
    btnClose->setAutoDefault(false);

    SetTabOrder({dtp1, dtp2, cbbAccWal, cbbType, edtFrom, edtAmount1, edtAmount2, edtTo, edtMemo,
                 btnOK, btnClose});

    GuardedConnect(btnOK, &QPushButton::clicked, this, &TFrmHistoryQuery::btnOKClick);
    connect(btnClose, &QPushButton::clicked, this, &QDialog::reject);
    ApplySkin(this);
}

void TFrmHistoryQuery::FormCreate() {
    FillAccountList(cbbAccWal);
    const QDateTime now = QDateTime::currentDateTime();
    dtp1->setDateTime(now);
    dtp2->setDateTime(now);
    cbbType->addItems(KindEntries());
    cbbType->setCurrentIndex(0);
}

QDateTime TFrmHistoryQuery::GetDateFrom() const {
    return dtp1->dateTime();
}

QDateTime TFrmHistoryQuery::GetDateTo() const {
    return dtp2->dateTime();
}

int TFrmHistoryQuery::GetAccWalIndex() const {
    return cbbAccWal->currentIndex();
}

PCboItem TFrmHistoryQuery::GetSelectedItem() const {
    const int i = cbbAccWal->currentIndex();
    if (i < 2 || cbbAccWal->currentText().isEmpty())
        return nullptr;
    return CboItemAt(cbbAccWal, i);
}

int TFrmHistoryQuery::GetTypeIndex() const {
    return cbbType->currentIndex();
}

QString TFrmHistoryQuery::GetFromText() const {
    return edtFrom->text().trimmed();
}

QString TFrmHistoryQuery::GetMinAmountText() const {
    return edtAmount1->text();
}

QString TFrmHistoryQuery::GetMaxAmountText() const {
    return edtAmount2->text();
}

QString TFrmHistoryQuery::GetToText() const {
    return edtTo->text();
}

QString TFrmHistoryQuery::GetMemoText() const {
    return edtMemo->text();
}

bool TFrmHistoryQuery::amountFails(QLineEdit* edit, const QString& message) {
    if (edit->text().isEmpty() || Money::parse(edit->text()))
        return false;
    TDM::ShowErrorMessage(message);
    edit->setFocus();
    edit->selectAll();
    return true;
}

void TFrmHistoryQuery::btnOKClick() {
    setResult(0);
    if (amountFails(edtAmount1, QStringLiteral("The minimum amount of money must be a number!")))
        return;
    if (amountFails(edtAmount2, QStringLiteral("The maximum amount of money must be a number!")))
        return;
    if (!edtAmount1->text().isEmpty() && !edtAmount2->text().isEmpty() &&
        *Money::parse(edtAmount1->text()) > *Money::parse(edtAmount2->text())) {
        TDM::ShowErrorMessage(
            QStringLiteral("The minimum amount should not be large than the maximum!!"));
        edtAmount2->setFocus();
        edtAmount2->selectAll();
        return;
    }
    accept();
}
