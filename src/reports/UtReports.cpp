#include "reports/UtReports.h"

#include "data/UtDM.h"
#include "export/PrintDBGridEh.h"
#include "grid/DBGridEh.h"
#include "grid/GridSort.h"
#include "history/HistoryLists.h"
#include "platform/WaitCursor.h"
#include "reports/ReportCharts.h"
#include "ui/Guarded.h"
#include "ui/HelpContext.h"
#include "ui/HelpIds.h"
#include "ui/Skin.h"
#include "ui/WindowParts.h"

#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QDateEdit>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QSignalBlocker>
#include <QSplitter>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

// A money value as the table holds it: a number, which the grid sums in its footer; a
// sum beyond the money range is a text instead, so that no wrong number is added up.
QVariant moneyCell(const MoneySum& sum) {
    if (!sum.inRange())
        return ExactAmountText(sum);
    return sum.clamped().toDouble();
}

} // namespace

TFrmReports::TFrmReports(QWidget* parent) : QDialog(parent), Today(QDate::currentDate()) {
    setObjectName(QStringLiteral("FrmReports"));
    setWindowTitle(QStringLiteral("Reports"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMaximizeButtonHint |
                   Qt::WindowCloseButtonHint);
    resize(980, 560);
    qryReport.Connection = &DM->conn;

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    buildToolbar();
    buildChoices();
    buildBody();
    layout->addWidget(tlb1);
    layout->addWidget(pnl1);
    layout->addWidget(splitter, 1);

    prntReport = new TPrintDBGridEh(this);
    prntReport->setObjectName(QStringLiteral("prntReport"));
    prntReport->DBGridEh = dbgrdhReport;

    SetHelpContext(this, HelpIds::IDH_REPORTS);
    ApplySkin(this);
}

TFrmReports::~TFrmReports() {
    // The grid must let go of the rows before the query that holds them goes.
    dbgrdhReport->SetDataSet(nullptr);
}

void TFrmReports::buildToolbar() {
    tlb1 = WindowToolbar(this);
    const auto button = [this](const char* name, const QString& caption, TToolPicture picture,
                               void (TFrmReports::*handler)(), const QString& tip) {
        QToolButton* b = ToolbarButton(tlb1, name, caption, ToolPicture(picture));
        b->setToolTip(tip);
        GuardedConnect(b, &QToolButton::clicked, this, handler);
        return b;
    };
    btnCopy =
        button("btnCopy", QStringLiteral("Copy"), TToolPicture::Copy, &TFrmReports::btnCopyClick,
               QStringLiteral("Copy the table as tab-separated text"));
    btnSave =
        button("btnSave", QStringLiteral("Save"), TToolPicture::Export, &TFrmReports::btnSaveClick,
               QStringLiteral("Save the chart as a PNG, SVG or PDF file"));
    btnPrint = button("btnPrint", QStringLiteral("Print"), TToolPicture::Print,
                      &TFrmReports::btnPrintClick, QStringLiteral("Print the chart and the table"));
    tlb1->addSeparator();
    btnHelp = button("btnHelp", QStringLiteral("Help"), TToolPicture::Help,
                     &TFrmReports::btnHelpClick, {});
    btnToolExit =
        button("btnToolExit", QStringLiteral("Exit"), TToolPicture::Exit,
               &TFrmReports::btnToolExitClick, QStringLiteral("Close the reports window"));
}

void TFrmReports::buildChoices() {
    pnl1 = new QFrame(this);
    pnl1->setObjectName(QStringLiteral("pnl1"));
    pnl1->setFrameShape(QFrame::Box);
    auto* row = new QHBoxLayout(pnl1);
    row->setContentsMargins(8, 4, 8, 4);

    cbbAccWal = PickList(pnl1, "cbbAccWal", {});
    cbbAccWal->setMinimumWidth(150);
    cbbPeriod = PickList(pnl1, "cbbPeriod", {});
    cbbPeriod->addItems(PeriodEntries());
    cbbPeriod->setCurrentIndex(int(TPeriodPreset::Last12Months));
    dtpFrom = DatePicker(pnl1, "dtpFrom", {});
    dtpTo = DatePicker(pnl1, "dtpTo", {});
    cbbReport = PickList(pnl1, "cbbReport", {});
    cbbReport->addItems({QStringLiteral("Income and spending by month"),
                         QStringLiteral("Spending by purpose"),
                         QStringLiteral("Balance over time")});

    row->addWidget(Label(pnl1, "lblAccWal", QStringLiteral("Acc/Wal:"), QPoint()));
    row->addWidget(cbbAccWal);
    row->addSpacing(10);
    row->addWidget(Label(pnl1, "lblPeriod", QStringLiteral("Period:"), QPoint()));
    row->addWidget(cbbPeriod);
    row->addWidget(dtpFrom);
    row->addWidget(Label(pnl1, "lblTo", QStringLiteral("to"), QPoint()));
    row->addWidget(dtpTo);
    row->addSpacing(10);
    row->addWidget(Label(pnl1, "lblReport", QStringLiteral("Report:"), QPoint()));
    row->addWidget(cbbReport);
    row->addStretch(1);

    GuardedConnect(cbbAccWal, &QComboBox::currentIndexChanged, this, &TFrmReports::cbbAccWalChange);
    GuardedConnect(cbbPeriod, &QComboBox::currentIndexChanged, this, &TFrmReports::cbbPeriodChange);
    GuardedConnect(dtpFrom, &QDateEdit::dateChanged, this, &TFrmReports::dtpRangeChange);
    GuardedConnect(dtpTo, &QDateEdit::dateChanged, this, &TFrmReports::dtpRangeChange);
    GuardedConnect(cbbReport, &QComboBox::currentIndexChanged, this, &TFrmReports::cbbReportChange);
}

void TFrmReports::buildBody() {
    splitter = new QSplitter(Qt::Horizontal, this);
    splitter->setObjectName(QStringLiteral("splitter"));
    chart = new QChart;
    chart->setObjectName(QStringLiteral("chart"));
    chvReport = new QChartView(chart, splitter);
    chvReport->setObjectName(QStringLiteral("chvReport"));
    chvReport->setRenderHint(QPainter::Antialiasing);
    chvReport->setMinimumSize(320, 240);

    dbgrdhReport = new TDBGridEh(splitter);
    dbgrdhReport->setObjectName(QStringLiteral("dbgrdhReport"));
    dbgrdhReport->SetDataSet(&qryReport);
    dbgrdhReport->SetFooterRowCount(1);
    // The lists' tints of the skin's blue, over the base colour of the desktop, so that a
    // dark one keeps its light text readable.
    const QColor base = palette().color(QPalette::Base), blue(0x2f, 0x56, 0xb8);
    dbgrdhReport->SetFooterColor(Blend(base, blue, 0.22));
    dbgrdhReport->SetOddRowColor(Blend(base, blue, 0.1));
    dbgrdhReport->SetFrozenCols(1);
    connect(dbgrdhReport, &TDBGridEh::TitleBtnClick, this,
            [this](int column) { Guarded([&] { SortGrid(dbgrdhReport, column); }); });
    splitter->addWidget(chvReport);
    splitter->addWidget(dbgrdhReport);
    // The chart takes what the table leaves; the table keeps room for four columns.
    splitter->setStretchFactor(0, 1);
    splitter->setStretchFactor(1, 0);
    splitter->setSizes({560, 440});
}

void TFrmReports::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!m_activated) {
        m_activated = true;
        Guarded([this] { FormActivate(); });
    }
}

void TFrmReports::FormActivate() {
    {
        const QSignalBlocker block(cbbAccWal);
        FillAccountList(cbbAccWal);
    }
    applyPreset();
    LoadReport();
}

TReportScope TFrmReports::Scope() const {
    const int index = cbbAccWal->currentIndex();
    return TReportScope::FromEntry(index, CboItemAt(cbbAccWal, index).get());
}

TReportPeriod TFrmReports::Period() const {
    return {dtpFrom->date(), dtpTo->date()};
}

void TFrmReports::applyPreset() {
    const auto preset = TPeriodPreset(std::max(0, cbbPeriod->currentIndex()));
    if (preset == TPeriodPreset::Dates)
        return;
    const TReportPeriod p = PresetPeriod(DM->conn, preset, Today);
    const QSignalBlocker a(dtpFrom), b(dtpTo);
    dtpFrom->setDate(p.from);
    dtpTo->setDate(p.to);
}

void TFrmReports::cbbAccWalChange() {
    LoadReport();
}

void TFrmReports::cbbPeriodChange() {
    applyPreset();
    LoadReport();
}

void TFrmReports::dtpRangeChange() {
    // A date set by hand makes the period the two dates.
    {
        const QSignalBlocker block(cbbPeriod);
        cbbPeriod->setCurrentIndex(int(TPeriodPreset::Dates));
    }
    LoadReport();
}

void TFrmReports::cbbReportChange() {
    LoadReport();
}

void TFrmReports::LoadReport() {
    const TWaitCursor wait;
    const TReportScope scope = Scope();
    const TReportPeriod period = Period();
    const TChartColours colours = ChartColours(palette());
    // Each report gets a chart of its own: one emptied and filled again kept drawing the
    // axes it had before.
    auto* fresh = new QChart;
    fresh->setObjectName(QStringLiteral("chart"));
    QChart* old = chvReport->chart();
    chvReport->setChart(fresh);
    chart = fresh;
    delete old;
    std::vector<std::vector<QVariant>> rows;
    const QString day = QStringLiteral("yyyy-MM-dd");
    // Whatever the statement does, the table never shows the numbers of another report.
    qryReport.Close();
    dbgrdhReport->DataChanged();
    switch (cbbReport->currentIndex()) {
    case SpendingByPurpose: {
        const TPurposeReport r = ::SpendingByPurpose(DM->conn, scope, period);
        ShowPurposeChart(chart, r, colours);
        for (const TPurposeRow& p : r.rows)
            rows.push_back({p.purpose, moneyCell(p.amount),
                            ShareText(p.amount, r.total) + QLatin1Char('%'), p.records});
        showTable({QStringLiteral("For"), QStringLiteral("Amount"), QStringLiteral("Share"),
                   QStringLiteral("Debits")},
                  rows, {{1, r.total}, {3, std::nullopt}});
        break;
    }
    case BalanceOverTime: {
        const TBalanceReport r = ::BalanceOverTime(DM->conn, scope, period);
        ShowBalanceChart(chart, r, colours);
        // The balance before the period, then every day that moved it and the last day.
        MoneySum moved;
        if (!r.days.empty())
            rows.push_back(
                {r.days.front().day.addDays(-1).toString(day), QVariant(), moneyCell(r.opening)});
        for (size_t i = 0; i < r.days.size(); ++i) {
            moved.add(r.days[i].change);
            if (!r.days[i].change.raw() == 0 || i + 1 == r.days.size())
                rows.push_back({r.days[i].day.toString(day), moneyCell(r.days[i].change),
                                moneyCell(r.days[i].balance)});
        }
        showTable({QStringLiteral("Date"), QStringLiteral("Change"), QStringLiteral("Balance")},
                  rows, {{1, moved}});
        break;
    }
    default: {
        const std::vector<TMonthRow> r = ::IncomeByMonth(DM->conn, scope, period);
        ShowIncomeChart(chart, r, colours);
        MoneySum in, out, net;
        for (const TMonthRow& m : r) {
            rows.push_back({m.month.toString(QStringLiteral("yyyy-MM")), moneyCell(m.in),
                            moneyCell(m.out), moneyCell(m.Net())});
            in.add(m.in);
            out.add(m.out);
            net.add(m.Net());
        }
        showTable({QStringLiteral("Month"), QStringLiteral("Money in"), QStringLiteral("Money out"),
                   QStringLiteral("Net")},
                  rows, {{1, in}, {2, out}, {3, net}});
        break;
    }
    }
    // A chart lays itself out when the window next handles its events; a save or print
    // right after a change would find it half done.
    QCoreApplication::sendPostedEvents(chart, QEvent::LayoutRequest);
}

void TFrmReports::showTable(const QStringList& names,
                            const std::vector<std::vector<QVariant>>& rows,
                            const std::vector<TFooterSum>& sums) {
    std::vector<TColumnEh> cols(size_t(names.size()));
    for (qsizetype i = 0; i < names.size(); ++i) {
        cols[size_t(i)].FieldName = names[i];
        cols[size_t(i)].Width = i == 0 ? 110 : 100;
    }
    cols[0].FooterType = TFooterValueType::fvtStaticText;
    cols[0].FooterText = QStringLiteral("SUM");
    for (const TFooterSum& sum : sums) {
        const size_t column = size_t(sum.first);
        const std::optional<MoneySum>& total = sum.second;
        TColumnEh& c = cols[column];
        const bool beyond = std::any_of(rows.begin(), rows.end(), [&](const auto& row) {
            return row[column].typeId() == QMetaType::QString;
        });
        // The grid adds up the numbers it shows; where one of them, or their total, is
        // beyond the money range, the footer says what the exact total is instead.
        if (total && (beyond || !total->inRange())) {
            c.FooterType = TFooterValueType::fvtStaticText;
            c.FooterText = ExactAmountText(*total);
        } else {
            c.FooterType = TFooterValueType::fvtSum;
        }
    }
    qryReport.OpenValues(names, rows);
    dbgrdhReport->SetColumns(std::move(cols));
}

void TFrmReports::btnHelpClick() {
    ShowHelpFor(this);
}

void TFrmReports::btnToolExitClick() {
    reject();
}
