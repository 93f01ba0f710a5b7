#include "history/UtAccountHistory.h"

#include "data/Errors.h"
#include "data/Money.h"
#include "data/UtDM.h"
#include "data/UtFormat.h"
#include "export/ExportCommand.h"
#include "export/PrintDBGridEh.h"
#include "grid/DBGridEh.h"
#include "grid/GridSort.h"
#include "history/HistoryLists.h"
#include "history/UtHistoryQuery.h"
#include "lists/CombinedQuery.h"
#include "ui/Guarded.h"
#include "ui/HelpContext.h"
#include "ui/HelpIds.h"
#include "ui/Modal.h"
#include "ui/Skin.h"
#include "ui/WindowParts.h"

#include <QComboBox>
#include <QDateTime>
#include <QEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const char* const kDateLine = "and A.Date between :dt1 and :dt2 ";
const char* const kOrderLine = " order by date ";

// An amount the query dialog accepted, in the user's format, as an SQL number.
QString sqlNumber(const QString& typed) {
    const std::optional<Money> m = Money::parse(typed);
    if (!m)
        throw EBudgetError(QStringLiteral("'%1' is not a valid number").arg(typed));
    return m->toPlainString(QLocale::c());
}

} // namespace

TFrmAccountHistory::TFrmAccountHistory(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FrmAccountHistory"));
    setWindowTitle(QStringLiteral("Acc/Wal History"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMaximizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setFont(HistoryFont(font(), 12));
    // The outer 644 x 387 less a common frame and title bar; the frame the window
    // system gives it is taken off once it is shown.
    resize(636, 353);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    buildToolbar();
    buildFilterStrip();
    buildGrid();
    buildMenu();
    layout->addWidget(tlb1);
    layout->addWidget(pnl1);
    layout->addWidget(dbgrdh1, 1);
    QWidget::setTabOrder(edtSearch, cbbAccWal);
    QWidget::setTabOrder(cbbAccWal, cbbType);
    QWidget::setTabOrder(cbbType, rbMonth);
    QWidget::setTabOrder(rbMonth, rbToday);
    QWidget::setTabOrder(rbToday, dbgrdh1);

    SetHelpContext(this, HelpIds::IDH_HISTORY);
    ApplySkin(this);
    FormCreate();
}

TFrmAccountHistory::~TFrmAccountHistory() {
    // The grid must let go of the rows before the query that holds them goes.
    dbgrdh1->SetDataSet(nullptr);
}

void TFrmAccountHistory::buildToolbar() {
    tlb1 = WindowToolbar(this);
    const auto button = [this](const char* name, const QString& caption, TToolPicture picture,
                               void (TFrmAccountHistory::*handler)()) {
        QToolButton* b = ToolbarButton(tlb1, name, caption, ToolPicture(picture));
        GuardedConnect(b, &QToolButton::clicked, this, handler);
        return b;
    };
    btnQuery = button("btnQuery", QStringLiteral("Query"), TToolPicture::Query,
                      &TFrmAccountHistory::btnQueryClick);
    tlb1->addSeparator();
    btnEdit = button("btnEdit", QStringLiteral("Edit"), TToolPicture::Edit,
                     &TFrmAccountHistory::btnEditClick);
    btnDelete = button("btnDelete", QStringLiteral("Delete"), TToolPicture::Delete,
                       &TFrmAccountHistory::btnDeleteClick);
    tlb1->addSeparator();
    btnCopy = button("btnCopy", QStringLiteral("Copy"), TToolPicture::Copy,
                     &TFrmAccountHistory::btnCopyClick);
    btnCopy->setToolTip(QStringLiteral("Copy selected data and paste to excel  document"));
    btnExport = button("btnExport", QStringLiteral("Export"), TToolPicture::Export,
                       &TFrmAccountHistory::btnExportClick);
    btnPrint = button("btnPrint", QStringLiteral("Print"), TToolPicture::Print,
                      &TFrmAccountHistory::btnPrintClick);
    tlb1->addSeparator();
    btnHelp = button("btnHelp", QStringLiteral("Help"), TToolPicture::Help,
                     &TFrmAccountHistory::btnHelpClick);
    btnToolExit = button("btnToolExit", QStringLiteral("Exit"), TToolPicture::Exit,
                         &TFrmAccountHistory::btnToolExitClick);
    btnToolExit->setToolTip(QStringLiteral("Close history window"));
    tlb1->addSeparator();
}

void TFrmAccountHistory::buildFilterStrip() {
    pnl1 = new QFrame(this);
    pnl1->setObjectName(QStringLiteral("pnl1"));
    pnl1->setFrameShape(QFrame::Box);
    pnl1->setFixedHeight(36);
    // The strip's places leave "This Month" and "Search:" only the room of the narrow
    // face they were made for; a pixel less keeps them clear of their neighbours.
    pnl1->setFont(HistoryFont(font(), 11));

    lbl2 = new QLabel(QStringLiteral("Acc/Wal:"), pnl1);
    lbl2->setObjectName(QStringLiteral("lbl2"));
    lbl2->move(11, 9);
    cbbAccWal = PickList(pnl1, "cbbAccWal", QRect(68, 6, 150, 22));

    cbbType = new QComboBox(pnl1);
    cbbType->setObjectName(QStringLiteral("cbbType"));
    cbbType->setEditable(true);
    cbbType->setInsertPolicy(QComboBox::NoInsert);
    // Typed text chooses an entry only when it is one; no completion picks one for it.
    cbbType->setCompleter(nullptr);
    cbbType->setGeometry(220, 6, 89, 22);

    rbMonth = new QRadioButton(QStringLiteral("This Month"), pnl1);
    rbMonth->setObjectName(QStringLiteral("rbMonth"));
    rbMonth->adjustSize();
    rbMonth->move(314, 8);
    rbToday = new QRadioButton(QStringLiteral("Today"), pnl1);
    rbToday->setObjectName(QStringLiteral("rbToday"));
    rbToday->adjustSize();
    rbToday->move(399, 8);
    rbToday->setChecked(true);
    TabToCheckedRadio({rbMonth, rbToday});

    lbl1 = new QLabel(QStringLiteral("Search:"), pnl1);
    lbl1->setObjectName(QStringLiteral("lbl1"));
    lbl1->move(466, 9);
    edtSearch = new QLineEdit(pnl1);
    edtSearch->setObjectName(QStringLiteral("edtSearch"));
    edtSearch->setGeometry(511, 5, 115, 22);
    edtSearch->installEventFilter(this);

    GuardedConnect(cbbAccWal, &QComboBox::currentIndexChanged, this,
                   &TFrmAccountHistory::cbbAccWalChange);
    GuardedConnect(cbbType, &QComboBox::currentTextChanged, this,
                   &TFrmAccountHistory::cbbTypeChange);
    // A click on the button already checked, or Space on it, changes nothing and must
    // not replace a statement built by the query dialog.
    connect(rbMonth, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            Guarded([this] { rbMonthClick(); });
    });
    connect(rbToday, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            Guarded([this] { rbTodayClick(); });
    });
    GuardedConnect(edtSearch, &QLineEdit::textChanged, this, &TFrmAccountHistory::edtSearchChange);
}

void TFrmAccountHistory::buildGrid() {
    dbgrdh1 = new TDBGridEh(this);
    dbgrdh1->setObjectName(QStringLiteral("dbgrdh1"));
    std::vector<TColumnEh> cols(9);
    cols[0].Title = QStringLiteral("No.");
    cols[0].Width = cols[0].MinWidth = cols[0].MaxWidth = 30;
    cols[0].Fixed = true;
    cols[0].TitleButton = false;
    cols[0].Color = palette().color(QPalette::Button);
    const struct {
        const char* field;
        const char* title;
    } bound[] = {{"Date1", "Date"},    {"TypeName", "Type"}, {"name", "Acc/Wal"}, {"From", nullptr},
                 {"Amount", "Amount"}, {"For", "for"},       {"To", nullptr},     {"Memo", "memo"}};
    for (size_t i = 0; i < std::size(bound); ++i) {
        TColumnEh& c = cols[i + 1];
        c.FieldName = QLatin1String(bound[i].field);
        if (bound[i].title)
            c.Title = QLatin1String(bound[i].title);
        c.Width = 100;
    }
    cols[8].Width = 200;
    cols[1].FooterType = TFooterValueType::fvtStaticText;
    cols[1].FooterText = QStringLiteral("SUM");
    cols[5].FooterType = TFooterValueType::fvtSum; // general number format
    dbgrdh1->SetColumns(std::move(cols));
    dbgrdh1->SetFooterRowCount(1);
    dbgrdh1->SetFooterColor(QColor(0xCD, 0xCE, 0xE7));
    dbgrdh1->SetOddRowColor(QColor(0xD6, 0xD6, 0xFA));
    dbgrdh1->SetFrozenCols(1);
    dbgrdh1->SetMultiSelect(true);
    // Flat, as the list's web page and its printed rows are too.
    dbgrdh1->SetFlat(true);
    dbgrdh1->setFrameShape(QFrame::Panel);
    dbgrdh1->horizontalHeader()->setFont(HistoryFont(font(), 9, false));
    dbgrdh1->SetDataSet(&qryList);
    dbgrdh1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(dbgrdh1, &TDBGridEh::TitleBtnClick, this, &TFrmAccountHistory::dbgrdh1TitleBtnClick);
    connect(dbgrdh1, &TDBGridEh::DrawColumnCell, this, &TFrmAccountHistory::dbgrdh1DrawColumnCell);
}

void TFrmAccountHistory::buildMenu() {
    pm1 = new QMenu(this);
    pm1->setObjectName(QStringLiteral("pm1"));
    const auto item = [this](const char* name, const QString& caption,
                             void (TFrmAccountHistory::*handler)()) {
        QAction* a = pm1->addAction(caption);
        a->setObjectName(QLatin1String(name));
        GuardedConnect(a, &QAction::triggered, this, handler);
    };
    item("mniQuery", QStringLiteral("&Query..."), &TFrmAccountHistory::btnQueryClick);
    pm1->addSeparator();
    item("mniEdit", QStringLiteral("&Edit..."), &TFrmAccountHistory::btnEditClick);
    item("mniDelete", QStringLiteral("&Delete"), &TFrmAccountHistory::btnDeleteClick);
    pm1->addSeparator();
    item("mniCopy", QStringLiteral("&Copy"), &TFrmAccountHistory::btnCopyClick);
    item("mniExport", QStringLiteral("Exp&ort..."), &TFrmAccountHistory::btnExportClick);
    item("mniPrint", QStringLiteral("&Print..."), &TFrmAccountHistory::btnPrintClick);
    pm1->addSeparator();
    item("mniHelp", QStringLiteral("&Help"), &TFrmAccountHistory::btnHelpClick);
    item("mniExit", QStringLiteral("E&xit"), &TFrmAccountHistory::btnToolExitClick);
    connect(dbgrdh1, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        Guarded([&] { pm1->exec(dbgrdh1->viewport()->mapToGlobal(pos)); });
    });
}

void TFrmAccountHistory::FormCreate() {
    qryList.Connection = &DM->conn;
    StartId = 0;
    {
        const QSignalBlocker block(cbbType);
        cbbType->addItems(KindEntries());
        cbbType->setCurrentIndex(0);
    }
    QueryDialog = new TFrmHistoryQuery(this);
    QueryDialog->setObjectName(QStringLiteral("QueryDialog"));
    // Its defaults are this window's settings: no options, millimetres, header and
    // footer in MS Sans Serif 8 points.
    prntdbgrdh1 = new TPrintDBGridEh(this);
    prntdbgrdh1->setObjectName(QStringLiteral("prntdbgrdh1"));
    prntdbgrdh1->DBGridEh = dbgrdh1;
}

void TFrmAccountHistory::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!m_activated) {
        SetOuterSize(this, QSize(644, 387));
        // Later activations (coming back from the print preview) change nothing.
        m_activated = true;
        Guarded([this] { FormActivate(); });
    }
}

void TFrmAccountHistory::FormActivate() {
    {
        const QSignalBlocker block(cbbAccWal);
        FillAccountList();
        if (StartId > 0)
            for (int i = 0; i < cbbAccWal->count(); ++i)
                if (const PCboItem item = CboItemAt(cbbAccWal, i); item && item->ID == StartId) {
                    cbbAccWal->setCurrentIndex(i);
                    break;
                }
    }
    LoadHistory();
}

void TFrmAccountHistory::FillAccountList() {
    ::FillAccountList(cbbAccWal);
}

void TFrmAccountHistory::LoadHistory() {
    qryList.SQL.clear();
    qryList.ClearParams();
    qryList.SQL << CombinedQueryText() << QLatin1String(kDateLine);
    const QDate today = QDate::currentDate();
    const QDate from = rbMonth->isChecked() ? QDate(today.year(), today.month(), 1) : today;
    qryList.SetParam(QStringLiteral("dt1"), from.toString(StoredDateFormat));
    qryList.SetParam(QStringLiteral("dt2"),
                     QDateTime::currentDateTime().addDays(1).toString(StoredDateFormat));
    const int accWal = cbbAccWal->currentIndex();
    if (accWal > 0)
        qryList.SQL << AccountLine(accWal, CboItemAt(cbbAccWal, accWal).get());
    if (const int kind = KindCodeOf(cbbType->currentText()); kind >= 0)
        qryList.SQL << KindLine(kind);
    const QString search = edtSearch->text();
    if (!search.isEmpty())
        qryList.SQL << QStringLiteral(" and (%1 or %2 or %3)")
                           .arg(ContainsMatch(QStringLiteral("A.from"), search),
                                ContainsMatch(QStringLiteral("A.for"), search),
                                ContainsMatch(QStringLiteral("A.Memo"), search));
    qryList.SQL << QLatin1String(kOrderLine);
    openList();
}

void TFrmAccountHistory::btnQueryClick() {
    if (ShowModal(*QueryDialog) == mrOK)
        LoadQuery();
}

void TFrmAccountHistory::LoadQuery() {
    const TFrmHistoryQuery& q = *QueryDialog;
    // Composed aside first: a criterion that cannot be put into the statement leaves the
    // current one as it was.
    QStringList lines{CombinedQueryText(), QLatin1String(kDateLine)};
    if (const QString line = AccountLine(q.GetAccWalIndex(), q.GetSelectedItem().get());
        !line.isEmpty())
        lines << line;
    if (q.GetTypeIndex() > 0)
        lines << KindLine(KindCodeAt(q.GetTypeIndex()));
    if (!q.GetFromText().isEmpty())
        lines << QStringLiteral(" and %1 ")
                     .arg(ContainsMatch(QStringLiteral("A.from"), q.GetFromText()));
    const QString min = q.GetMinAmountText(), max = q.GetMaxAmountText();
    if (!min.isEmpty() && !max.isEmpty())
        lines << QStringLiteral(" and A.Amount between %1 and %2 ")
                     .arg(sqlNumber(min), sqlNumber(max));
    else if (!min.isEmpty())
        lines << QStringLiteral(" and A.Amount > %1 ").arg(sqlNumber(min));
    else if (!max.isEmpty())
        lines << QStringLiteral(" and A.Amount < %1 ").arg(sqlNumber(max));
    // The one text column the other criteria leave out is the purpose.
    if (!q.GetToText().isEmpty())
        lines << QStringLiteral(" and %1 ")
                     .arg(ContainsMatch(QStringLiteral("A.for"), q.GetToText()));
    if (!q.GetMemoText().isEmpty())
        lines << QStringLiteral(" and %1 ")
                     .arg(ContainsMatch(QStringLiteral("A.memo"), q.GetMemoText()));
    lines << QLatin1String(kOrderLine);

    qryList.SQL = lines;
    qryList.ClearParams();
    qryList.SetParam(QStringLiteral("dt1"), q.GetDateFrom().toString(StoredDateFormat));
    qryList.SetParam(QStringLiteral("dt2"), q.GetDateTo().addDays(1).toString(StoredDateFormat));
    openList();
}

void TFrmAccountHistory::openList() {
    const TGridReload reload(dbgrdh1);
    qryList.Open();
}

void TFrmAccountHistory::SortGrid(TDBGridEh* grid, int column) {
    ::SortGrid(grid, column);
}

void TFrmAccountHistory::cbbAccWalChange() {
    LoadHistory();
}
void TFrmAccountHistory::cbbTypeChange() {
    LoadHistory();
}
void TFrmAccountHistory::rbMonthClick() {
    LoadHistory();
}
void TFrmAccountHistory::rbTodayClick() {
    LoadHistory();
}
void TFrmAccountHistory::edtSearchChange() {
    LoadHistory();
}

void TFrmAccountHistory::edtSearchDblClick() {
    // Emptying the text reloads through its change.
    edtSearch->clear();
}

void TFrmAccountHistory::keyPressEvent(QKeyEvent* event) {
    // The window has no cancel button, so Esc leaves it open.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool TFrmAccountHistory::eventFilter(QObject* watched, QEvent* event) {
    if (watched == edtSearch && event->type() == QEvent::MouseButtonDblClick) {
        Guarded([this] { edtSearchDblClick(); });
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TFrmAccountHistory::dbgrdh1TitleBtnClick(int column) {
    Guarded([&] { SortGrid(dbgrdh1, column); });
}

void TFrmAccountHistory::dbgrdh1DrawColumnCell(QPainter* painter, const QRect& rect, int column) {
    if (column == 0)
        dbgrdh1->DrawRecNo(painter, rect);
}

void TFrmAccountHistory::btnExportClick() {
    ExportGridCommand(this, dbgrdh1);
}

void TFrmAccountHistory::btnPrintClick() {
    prntdbgrdh1->Preview();
}

void TFrmAccountHistory::btnHelpClick() {
    ShowHelpFor(this);
}

void TFrmAccountHistory::btnToolExitClick() {
    reject();
}
