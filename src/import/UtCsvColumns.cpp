#include "import/UtCsvColumns.h"

#include "data/UtDM.h"
#include "ui/Guarded.h"
#include "ui/Skin.h"
#include "ui/WindowParts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

constexpr int SampleRows = 8;

// The form's layout places it; it keeps the width of its longest column names.
QComboBox* columnList(QWidget* parent, const char* name) {
    QComboBox* c = PickList(parent, name, QRect(0, 0, 180, 22));
    c->setMinimumWidth(180);
    return c;
}

// The first readable record of the table.
const QStringList* firstRecord(const TCsvTable& t) {
    for (size_t r = 0; r < t.Records.size(); ++r)
        if (t.RecordErrors[r].isEmpty() && t.Records[r].size() > 1)
            return &t.Records[r];
    return nullptr;
}

} // namespace

TFrmCsvColumns::TFrmCsvColumns(QWidget* parent, const TCsvTable& table, const TCsvGuess& guess)
    : QDialog(parent), m_table(table), m_mapping(guess.Mapping) {
    setObjectName(QStringLiteral("FrmCsvColumns"));
    setWindowTitle(QStringLiteral("Statement Columns"));
    QFont bold = font();
    bold.setBold(true);
    setFont(bold);

    auto* layout = new QVBoxLayout(this);
    chkHeader = new QCheckBox(QStringLiteral("The first line holds the column names"), this);
    chkHeader->setObjectName(QStringLiteral("chkHeader"));
    layout->addWidget(chkHeader);
    grdSample = new QTableWidget(this);
    grdSample->setObjectName(QStringLiteral("grdSample"));
    grdSample->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdSample->verticalHeader()->hide();
    grdSample->setMinimumHeight(150);
    layout->addWidget(grdSample);

    auto* form = new QFormLayout;
    cbbDate = columnList(this, "cbbDate");
    form->addRow(QStringLiteral("Date:"), cbbDate);
    rbSigned = new QRadioButton(QStringLiteral("One amount, money out below zero:"), this);
    rbSigned->setObjectName(QStringLiteral("rbSigned"));
    cbbAmount = columnList(this, "cbbAmount");
    form->addRow(rbSigned, cbbAmount);
    rbInOut = new QRadioButton(QStringLiteral("Money in and money out:"), this);
    rbInOut->setObjectName(QStringLiteral("rbInOut"));
    auto* inOut = new QHBoxLayout;
    cbbIn = columnList(this, "cbbIn");
    cbbOut = columnList(this, "cbbOut");
    inOut->addWidget(cbbIn);
    inOut->addWidget(cbbOut);
    form->addRow(rbInOut, inOut);
    cbbParty = columnList(this, "cbbParty");
    form->addRow(QStringLiteral("Party:"), cbbParty);
    cbbPurpose = columnList(this, "cbbPurpose");
    form->addRow(QStringLiteral("Purpose:"), cbbPurpose);
    cbbMemo = columnList(this, "cbbMemo");
    form->addRow(QStringLiteral("Memo:"), cbbMemo);
    cbbDateOrder = columnList(this, "cbbDateOrder");
    cbbDateOrder->addItem(QStringLiteral("Day, month, year (31/01/2024)"), int(DateOrder::DMY));
    cbbDateOrder->addItem(QStringLiteral("Month, day, year (01/31/2024)"), int(DateOrder::MDY));
    cbbDateOrder->addItem(QStringLiteral("Year, month, day (2024-01-31)"), int(DateOrder::YMD));
    form->addRow(QStringLiteral("Dates:"), cbbDateOrder);
    lblAmbiguous = new QLabel(this);
    lblAmbiguous->setObjectName(QStringLiteral("lblAmbiguous"));
    lblAmbiguous->setWordWrap(true);
    form->addRow(QString(), lblAmbiguous);
    cbbDecimal = columnList(this, "cbbDecimal");
    cbbDecimal->addItem(QStringLiteral("Point (1,234.56)"), QChar(u'.'));
    cbbDecimal->addItem(QStringLiteral("Comma (1.234,56)"), QChar(u','));
    form->addRow(QStringLiteral("Decimals after:"), cbbDecimal);
    layout->addLayout(form);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    btnOK = Button(this, "btnOK", QStringLiteral("&OK"), QRect());
    btnOK->setDefault(true);
    btnCancel = Button(this, "btnCancel", QStringLiteral("&Cancel"), QRect());
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    layout->addLayout(buttons);

    m_filling = true;
    chkHeader->setChecked(m_mapping.HasHeader);
    fillSample();
    fillColumnLists();
    const bool inOutColumns =
        m_mapping.AmountColumn < 0 && (m_mapping.InColumn >= 0 || m_mapping.OutColumn >= 0);
    rbSigned->setChecked(!inOutColumns);
    rbInOut->setChecked(inOutColumns);
    cbbDecimal->setCurrentIndex(m_mapping.Decimal == u',' ? 1 : 0);
    if (guess.DateAmbiguous) {
        // Day and month cannot be told apart from the file: the user says, once.
        cbbDateOrder->setCurrentIndex(-1);
        lblAmbiguous->setText(
            QStringLiteral("Every date of this file reads both ways (%1): which order is it?")
                .arg(guess.DateExample));
    } else {
        cbbDateOrder->setCurrentIndex(cbbDateOrder->findData(int(m_mapping.Order)));
        lblAmbiguous->hide();
    }
    m_filling = false;

    GuardedConnect(chkHeader, &QCheckBox::toggled, this, &TFrmCsvColumns::chkHeaderClick);
    for (QComboBox* c : {cbbDate, cbbAmount, cbbIn, cbbOut})
        GuardedConnect(c, &QComboBox::activated, this, &TFrmCsvColumns::columnChange);
    // Choosing a column chooses the way the amounts are given.
    connect(cbbAmount, &QComboBox::activated, rbSigned, [this] { rbSigned->setChecked(true); });
    for (QComboBox* c : {cbbIn, cbbOut})
        connect(c, &QComboBox::activated, rbInOut, [this] { rbInOut->setChecked(true); });
    GuardedConnect(btnOK, &QPushButton::clicked, this, &TFrmCsvColumns::btnOKClick);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    ApplySkin(this);
}

void TFrmCsvColumns::fillSample() {
    const QStringList* first = firstRecord(m_table);
    const int columns = first ? int(first->size()) : 0;
    grdSample->clear();
    grdSample->setColumnCount(columns);
    QStringList titles;
    for (int c = 0; c < columns; ++c)
        titles << (chkHeader->isChecked() ? first->at(c) : QStringLiteral("Column %1").arg(c + 1));
    grdSample->setHorizontalHeaderLabels(titles);
    std::vector<const QStringList*> sample;
    bool headerSkipped = !chkHeader->isChecked();
    for (size_t r = 0; r < m_table.Records.size() && int(sample.size()) < SampleRows; ++r) {
        if (!m_table.RecordErrors[r].isEmpty() || m_table.Records[r].size() < 2)
            continue;
        if (!headerSkipped) {
            headerSkipped = true;
            continue;
        }
        sample.push_back(&m_table.Records[r]);
    }
    grdSample->setRowCount(int(sample.size()));
    for (int r = 0; r < int(sample.size()); ++r)
        for (int c = 0; c < columns && c < sample[size_t(r)]->size(); ++c)
            grdSample->setItem(r, c, new QTableWidgetItem(sample[size_t(r)]->at(c)));
    grdSample->resizeColumnsToContents();
}

void TFrmCsvColumns::fillColumnLists() {
    const QStringList* first = firstRecord(m_table);
    const int columns = first ? int(first->size()) : 0;
    const std::pair<QComboBox*, int> lists[] = {
        {cbbDate, m_mapping.DateColumn},   {cbbAmount, m_mapping.AmountColumn},
        {cbbIn, m_mapping.InColumn},       {cbbOut, m_mapping.OutColumn},
        {cbbParty, m_mapping.PartyColumn}, {cbbPurpose, m_mapping.PurposeColumn},
        {cbbMemo, m_mapping.MemoColumn}};
    for (const auto& [box, chosen] : lists) {
        box->clear();
        box->addItem(QStringLiteral("(none)"), -1);
        for (int c = 0; c < columns; ++c)
            box->addItem(chkHeader->isChecked()
                             ? QStringLiteral("%1: %2").arg(c + 1).arg(first->at(c).left(40))
                             : QStringLiteral("Column %1").arg(c + 1),
                         c);
        box->setCurrentIndex(std::max(0, box->findData(chosen)));
    }
}

TCsvMapping TFrmCsvColumns::fromControls() const {
    TCsvMapping m;
    m.HasHeader = chkHeader->isChecked();
    m.DateColumn = cbbDate->currentData().toInt();
    if (rbSigned->isChecked()) {
        m.AmountColumn = cbbAmount->currentData().toInt();
    } else {
        m.InColumn = cbbIn->currentData().toInt();
        m.OutColumn = cbbOut->currentData().toInt();
    }
    m.PartyColumn = cbbParty->currentData().toInt();
    m.PurposeColumn = cbbPurpose->currentData().toInt();
    m.MemoColumn = cbbMemo->currentData().toInt();
    m.Order = DateOrder(cbbDateOrder->currentIndex() < 0 ? int(DateOrder::DMY)
                                                         : cbbDateOrder->currentData().toInt());
    m.Decimal = cbbDecimal->currentData().toChar();
    return m;
}

void TFrmCsvColumns::chkHeaderClick() {
    if (m_filling)
        return;
    m_mapping = fromControls();
    fillSample();
    fillColumnLists();
}

void TFrmCsvColumns::columnChange() {
    if (m_filling)
        return;
    TCsvMapping m = fromControls();
    if (m.DateColumn < 0)
        return;
    TCsvGuess guess;
    GuessCsvFormats(m_table, m, &guess);
    cbbDecimal->setCurrentIndex(m.Decimal == u',' ? 1 : 0);
    if (guess.DateAmbiguous) {
        lblAmbiguous->setText(
            QStringLiteral("Every date of this file reads both ways (%1): which order is it?")
                .arg(guess.DateExample));
        lblAmbiguous->show();
    } else {
        cbbDateOrder->setCurrentIndex(cbbDateOrder->findData(int(m.Order)));
        lblAmbiguous->hide();
    }
}

void TFrmCsvColumns::btnOKClick() {
    const auto refuse = [this](const QString& text, QWidget* focus) {
        TDM::ShowErrorMessage(text, this);
        focus->setFocus();
    };
    const TCsvMapping m = fromControls();
    if (m.DateColumn < 0)
        return refuse(QStringLiteral("Please choose the column that holds the dates."), cbbDate);
    if (!m.Usable())
        return refuse(QStringLiteral("Please choose the column that holds the amounts."),
                      rbSigned->isChecked() ? cbbAmount : cbbIn);
    if (cbbDateOrder->currentIndex() < 0)
        return refuse(QStringLiteral("Please choose the order in which the dates give the day "
                                     "and the month."),
                      cbbDateOrder);
    m_mapping = m;
    accept();
}
