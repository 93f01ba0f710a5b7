#include "lists/UtTransactionList.h"

#include "data/UtDM.h"
#include "data/UtFormat.h"
#include "export/ExportCommand.h"
#include "grid/DBGridEh.h"
#include "grid/GridSort.h"
#include "lists/CombinedQuery.h"
#include "ui/Guarded.h"
#include "ui/HelpContext.h"
#include "ui/HelpIds.h"
#include "ui/WindowParts.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace {

const char* const kDateEntries[] = {"-----None-----", "  Today", "  Last 3 days", "  Last 7 days",
                                    "  This Month"};

// Typed text that matches no entry counts as the first entry.
int entryIndex(const QComboBox* box) {
    const int i = box->findText(box->currentText(), Qt::MatchFixedString);
    return i < 0 ? 0 : i;
}

// Slim, so that the 81 pixels go to the date.
QDateEdit* datePicker(QWidget* parent, const char* name, int left) {
    return DatePicker(new QDateEdit(parent), name, QRect(left, 4, 81, 22), StoredDateFormat, 10);
}

QComboBox* comboBox(QWidget* parent, const char* name, int left, int width,
                    std::initializer_list<const char*> entries) {
    auto* c = new QComboBox(parent);
    c->setObjectName(QLatin1String(name));
    c->setEditable(true);
    c->setInsertPolicy(QComboBox::NoInsert);
    for (const char* e : entries)
        c->addItem(QLatin1String(e));
    c->setGeometry(left, 4, width, 22);
    return c;
}

} // namespace

TTransactionList::TTransactionList(QWidget* parent) : QWidget(parent), qryList(&DM->conn) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    buildFilterBar();
    buildGrid();
    layout->addWidget(pnl3);
    layout->addWidget(dbgrdh1, 1);
    prepare();
}

void TTransactionList::buildFilterBar() {
    pnl3 = new QWidget(this);
    pnl3->setObjectName(QStringLiteral("pnl3"));
    pnl3->setFixedHeight(31);
    // The bar's controls have the narrow widths of an 8-point face; a larger one cuts
    // the dates off.
    QFont small = pnl3->font();
    small.setPixelSize(11);
    pnl3->setFont(small);
    auto* lbl = new QLabel(QStringLiteral("Data Range"), pnl3);
    lbl->move(8, 8);
    dtpRange1 = datePicker(pnl3, "dtpRange1", 72);
    auto* to = new QLabel(QStringLiteral("to"), pnl3);
    to->move(160, 8);
    dtpRange2 = datePicker(pnl3, "dtpRange2", 176);
    cbbType = comboBox(pnl3, "cbbType", 264, 89, {});
    cbbType->addItems(KindEntries());
    cbbDate = comboBox(
        pnl3, "cbbDate", 360, 121,
        {kDateEntries[0], kDateEntries[1], kDateEntries[2], kDateEntries[3], kDateEntries[4]});
    btnExport = new QPushButton(QStringLiteral("&Export"), pnl3);
    btnExport->setObjectName(QStringLiteral("btnExport"));
    btnExport->setFlat(true);
    btnExport->setGeometry(512, 4, 65, 22);
    btnExport->setToolTip(QStringLiteral("Export data with xls, txt or htm format"));
    SetHelpContext(btnExport, HelpIds::IDH_MAIN_WINDOW);

    GuardedConnect(dtpRange1, &QDateEdit::dateChanged, this, &TTransactionList::FilterChange);
    GuardedConnect(dtpRange2, &QDateEdit::dateChanged, this, &TTransactionList::FilterChange);
    GuardedConnect(cbbType, &QComboBox::currentTextChanged, this, &TTransactionList::FilterChange);
    GuardedConnect(cbbDate, &QComboBox::currentTextChanged, this, &TTransactionList::cbbDateChange);
    GuardedConnect(btnExport, &QPushButton::clicked, this, &TTransactionList::btnExportClick);
}

void TTransactionList::buildGrid() {
    dbgrdh1 = new TDBGridEh(this);
    dbgrdh1->setObjectName(QStringLiteral("dbgrdh1"));
    const auto centred = Qt::AlignHCenter | Qt::AlignVCenter;
    std::vector<TColumnEh> cols(8);
    cols[0].Title = QStringLiteral("No.");
    cols[0].Width = cols[0].MinWidth = cols[0].MaxWidth = 30;
    cols[0].Fixed = true;
    cols[0].Alignment = cols[0].TitleAlignment = centred;
    cols[0].TitleButton = false;
    cols[0].Color = palette().color(QPalette::Button);
    cols[1].FieldName = QStringLiteral("Date1");
    cols[1].Title = QStringLiteral("Date");
    cols[1].Width = 80;
    cols[1].FooterType = TFooterValueType::fvtStaticText;
    cols[1].FooterText = QStringLiteral("SUM");
    cols[2].FieldName = QStringLiteral("TypeName");
    cols[2].Width = 75;
    cols[2].MinWidth = 60;
    cols[2].MaxWidth = 75;
    cols[3].FieldName = QStringLiteral("Name");
    cols[3].Width = 73;
    cols[4].FieldName = QStringLiteral("Amount");
    cols[4].Width = 81;
    cols[4].FooterType = TFooterValueType::fvtSum;
    cols[4].FooterFormat = QStringLiteral("0.##");
    cols[5].FieldName = QStringLiteral("From");
    cols[5].Width = 91;
    cols[6].FieldName = QStringLiteral("For");
    cols[6].Width = 119;
    cols[7].FieldName = QStringLiteral("Memo");
    cols[7].Width = 100;
    cols[7].MinWidth = 100;
    dbgrdh1->SetColumns(std::move(cols));
    dbgrdh1->SetFooterRowCount(1);
    dbgrdh1->SetFooterColor(QColor(205, 206, 231)); // 15191757
    dbgrdh1->SetFrozenCols(1);
    dbgrdh1->SetFlat(true);
    // The menu-highlight colour at full strength would be the selection colour too;
    // a light shade of it keeps the selected row distinguishable.
    const QColor hl = palette().color(QPalette::Highlight);
    const QColor base = palette().color(QPalette::Base);
    dbgrdh1->SetOddRowColor(QColor((hl.red() + 3 * base.red()) / 4,
                                   (hl.green() + 3 * base.green()) / 4,
                                   (hl.blue() + 3 * base.blue()) / 4));
    dbgrdh1->SetDataSet(&qryList);
    connect(dbgrdh1, &TDBGridEh::TitleBtnClick, this, &TTransactionList::dbgrdh1TitleBtnClick);
    connect(dbgrdh1, &TDBGridEh::DrawColumnCell, this, &TTransactionList::dbgrdh1DrawColumnCell);
}

void TTransactionList::prepare() {
    qryList.Close();
    qryList.SQL = {QStringLiteral("SELECT A.type, A.DestID, A.Date, A.From, A.Amount, A.For, "
                                  "A.Memo, B.name FROM Detail AS A , Account AS B where A.DestID "
                                  "= B.ID and A.ID=:aa")};
    qryList.SetParam(QStringLiteral("aa"), 0);
    // Without a usable database the start-up has already said why, once.
    if (DM && DM->Ready())
        Guarded([&] { qryList.Open(); });
    dbgrdh1->DataChanged();

    const QSignalBlocker b1(dtpRange1), b2(dtpRange2), b3(cbbType), b4(cbbDate);
    const QDate today = QDate::currentDate();
    dtpRange1->setDate(QDate(today.year(), today.month(), 1));
    dtpRange2->setDate(today);
    cbbType->setCurrentIndex(0);
    cbbDate->setCurrentIndex(0);
}

void TTransactionList::LoadList(int id) {
    const TGridReload reload(dbgrdh1);
    CurrentListId = id;
    qryList.SQL.clear();
    qryList.ClearParams();
    qryList.SQL << CombinedQueryText();
    qryList.SQL << QStringLiteral(" and B.ID=") + QString::number(id);
    if (const int kind = KindCodeOf(cbbType->currentText()); kind >= 0)
        qryList.SQL << KindLine(kind);
    qryList.SQL << FormatSQL(QStringLiteral(" and Date between #%s# and #%s# "),
                             {dtpRange1->date().toString(StoredDateFormat),
                              dtpRange2->date().addDays(1).toString(StoredDateFormat)});
    qryList.SQL << QStringLiteral(" order by date ");
    qryList.Open();
}

void TTransactionList::FilterChange() {
    LoadList(CurrentListId);
}

void TTransactionList::cbbDateChange() {
    const QDate today = QDate::currentDate();
    {
        // The pickers are set as one step; their own change must not load twice more.
        const QSignalBlocker b1(dtpRange1), b2(dtpRange2);
        switch (entryIndex(cbbDate)) {
        case 1:
            dtpRange1->setDate(today);
            dtpRange2->setDate(today);
            break;
        case 2:
            dtpRange1->setDate(today.addDays(-3));
            dtpRange2->setDate(today);
            break;
        case 3:
            dtpRange1->setDate(today.addDays(-7));
            dtpRange2->setDate(today);
            break;
        case 4:
            dtpRange1->setDate(QDate(today.year(), today.month(), 1));
            dtpRange2->setDate(today);
            break;
        default:
            break;
        }
    }
    LoadList(CurrentListId);
}

void TTransactionList::SortGrid(TDBGridEh* grid, int column) {
    ::SortGrid(grid, column);
}

void TTransactionList::dbgrdh1TitleBtnClick(int column) {
    Guarded([&] { SortGrid(dbgrdh1, column); });
}

void TTransactionList::dbgrdh1DrawColumnCell(QPainter* painter, const QRect& rect, int column) {
    if (column == 0)
        dbgrdh1->DrawRecNo(painter, rect);
}

void TTransactionList::btnExportClick() {
    ExportGridCommand(this, dbgrdh1);
}
