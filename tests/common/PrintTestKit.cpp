#include "PrintTestKit.h"

#include "TestData.h"
#include "TestEnv.h"
#include "data/UtDM.h"
#include "data/UtQuery.h"
#include "export/VirtualPrinter.h"
#include "grid/DBGridEh.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QPaintEngine>
#include <QPrinter>
#include <QRegularExpression>
#include <sqlite3.h>

namespace PrintTestKit {

void AddRows(TestEnv& env, int account, int count, const QString& memo) {
    TConnection c;
    c.Open(env.dbPath());
    const QString sql =
        QStringLiteral(
            "with recursive n(i) as (select 1 union all select i + 1 from n where i < %1) "
            "insert into Detail (type, DestID, Date, [From], Amount, [For], Memo) "
            "select i % 2, %2, datetime('2024-01-01', '+' || i || ' minutes'), "
            "'shop' || i, i, 'food', '%3' from n")
            .arg(count)
            .arg(account)
            .arg(QString(memo).replace(u'\'', QStringLiteral("''")));
    char* error = nullptr;
    if (sqlite3_exec(c.Handle(), sql.toUtf8().constData(), nullptr, nullptr, &error) != SQLITE_OK) {
        qWarning("AddRows: %s", error);
        sqlite3_free(error);
    }
}

GridFixture::GridFixture(int rows, const QString& memo) {
    auto rec = std::make_unique<PrinterRecorder>();
    printers = rec.get();
    printers->outputDir = env.dir();
    SetPrinters(std::move(rec));
    account = TestData::AddAccount(env, QStringLiteral("Bank"), 0);
    if (rows > 0)
        AddRows(env, account, rows, memo);
    query = std::make_unique<TQuery>(&DM->conn);
    query->SQL << HistoryStatement();
    query->Open();
    grid.reset(MakeHistoryGrid(query.get()));
    print.DBGridEh = grid.get();
}

GridFixture::~GridFixture() {
    grid.reset();
    query.reset();
}

void GridFixture::Reload() {
    query->Close();
    query->Open();
    grid->DataChanged();
}

int PagesInPdf(const QString& file) {
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    auto it = QRegularExpression(QStringLiteral("/Type\\s*/Page(?!s)"))
                  .globalMatch(QString::fromLatin1(f.readAll()));
    int n = 0;
    for (; it.hasNext(); it.next())
        ++n;
    return n;
}

QString HistoryStatement() {
    return QStringLiteral(
        "SELECT A.id, AccID, IIF(A.type=0, 'Deposit', IIF(A.Type=1, 'Debit', IIF(A.Type=2, "
        "'Trans Out', 'Trans In'))) AS TypeName, A.type, A.date, DateValue(date) as Date1, "
        "A.[from], A.Amount, A.for, A.memo, B.name, B.type as AccType FROM (select id, DestID As "
        "AccID, [type], date, [from], amount, for, memo from detail union select ID, SourceID as "
        "AccID, 2 as Type, date, [from], amount, for, memo from transfer union select ID, DestID "
        "as AccID, 3 as Type, date, [from], amount, for, memo from transfer) AS A, Account AS B "
        "WHERE A.AccID = B.ID order by date ");
}

TDBGridEh* MakeHistoryGrid(TQuery* query, QWidget* parent) {
    auto* g = new TDBGridEh(parent);
    g->setObjectName(QStringLiteral("dbgrdh1"));
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPixelSize(12);
    font.setBold(true);
    g->setFont(font);
    QFont title(QStringLiteral("MS Sans Serif"));
    title.setPointSize(9);
    title.setBold(true);
    g->horizontalHeader()->setFont(title);
    std::vector<TColumnEh> cols(9);
    cols[0].Title = QStringLiteral("No.");
    cols[0].Width = cols[0].MinWidth = cols[0].MaxWidth = 30;
    cols[0].Fixed = true;
    cols[0].TitleButton = false;
    cols[0].Color = g->palette().color(QPalette::Button);
    const char* fields[] = {"Date1", "TypeName", "name", "From", "Amount", "For", "To", "Memo"};
    const char* titles[] = {"Date", "Type", "Acc/Wal", "", "Amount", "for", "", "memo"};
    for (int i = 1; i < 9; ++i) {
        cols[size_t(i)].FieldName = QLatin1String(fields[i - 1]);
        cols[size_t(i)].Title = QLatin1String(titles[i - 1]);
        cols[size_t(i)].Width = i == 8 ? 200 : 100;
    }
    cols[1].FooterType = TFooterValueType::fvtStaticText;
    cols[1].FooterText = QStringLiteral("SUM");
    cols[5].FooterType = TFooterValueType::fvtSum;
    cols[7].TitleButton = false;
    g->SetColumns(std::move(cols));
    g->SetFooterRowCount(1);
    g->SetFooterColor(QColor(205, 206, 231));
    g->SetOddRowColor(QColor(0xD6, 0xD6, 0xFA));
    g->SetFlat(true);
    g->SetFrozenCols(1);
    g->SetMultiSelect(true);
    g->SetDataSet(query);
    g->resize(640, 300);
    return g;
}

void SelectRows(TDBGridEh* grid, const std::vector<int>& rows) {
    grid->clearSelection();
    for (int r : rows)
        grid->selectionModel()->select(grid->model()->index(r, 0),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

QStringList DrawnPage::Texts() const {
    QStringList out;
    for (const DrawnText& t : texts)
        out << t.text;
    return out;
}

const DrawnText* DrawnPage::Find(const QString& text) const {
    for (const DrawnText& t : texts)
        if (t.text == text)
            return &t;
    return nullptr;
}

int DrawnPage::Count(const QString& text) const {
    int n = 0;
    for (const DrawnText& t : texts)
        n += t.text == text ? 1 : 0;
    return n;
}

namespace {

// Notes texts and lines instead of drawing them.
class NotingEngine : public QPaintEngine {
public:
    explicit NotingEngine(DrawnPage& out) : QPaintEngine(AllFeatures), m_out(out) {}
    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    Type type() const override { return User; }
    void updateState(const QPaintEngineState& s) override {
        if (s.state() & DirtyTransform)
            m_transform = s.transform();
    }
    void drawTextItem(const QPointF& p, const QTextItem& ti) override {
        const QFont f = ti.font();
        const double size = f.pixelSize() > 0 ? f.pixelSize() : f.pointSizeF() * 600 / 72.0;
        m_out.texts.push_back({ti.text(), m_transform.map(p), size * m_transform.m22()});
    }
    void drawLines(const QLineF* lines, int count) override {
        for (int i = 0; i < count; ++i)
            m_out.lines.push_back(m_transform.map(lines[i]));
    }
    void drawLines(const QLine* lines, int count) override {
        for (int i = 0; i < count; ++i)
            m_out.lines.push_back(m_transform.map(QLineF(lines[i])));
    }
    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
    // Lines come back from a picture as two-point polylines.
    void drawPolygon(const QPointF* points, int count, PolygonDrawMode mode) override {
        if (mode == PolylineMode)
            for (int i = 0; i + 1 < count; ++i)
                m_out.lines.push_back(m_transform.map(QLineF(points[i], points[i + 1])));
    }
    void drawPath(const QPainterPath&) override {}

private:
    DrawnPage& m_out;
    QTransform m_transform;
};

class NotingDevice : public QPaintDevice {
public:
    NotingDevice(DrawnPage& out, const TPageGeometry& g) : m_engine(out), m_g(g) {}
    QPaintEngine* paintEngine() const override { return &m_engine; }

protected:
    int metric(PaintDeviceMetric m) const override {
        switch (m) {
        case PdmWidth:
            return m_g.FullWidth();
        case PdmHeight:
            return m_g.FullHeight();
        case PdmDpiX:
        case PdmPhysicalDpiX:
            return m_g.DpiX;
        case PdmDpiY:
        case PdmPhysicalDpiY:
            return m_g.DpiY;
        case PdmDepth:
            return 32;
        case PdmNumColors:
            return INT_MAX;
        case PdmDevicePixelRatio:
            return 1;
        case PdmDevicePixelRatioScaled:
            return int(devicePixelRatioFScale());
        default:
            return QPaintDevice::metric(m);
        }
    }

private:
    mutable NotingEngine m_engine;
    TPageGeometry m_g;
};

} // namespace

DrawnPage Replay(const QPicture& page, const TPageGeometry& g) {
    DrawnPage out;
    NotingDevice device(out, g);
    QPainter p(&device);
    // Device units of the printable area, as the layout drew them.
    PlayPage(p, page, g, QRectF(-g.OffsetX, -g.OffsetY, g.FullWidth(), g.FullHeight()));
    p.end();
    return out;
}

} // namespace PrintTestKit

std::unique_ptr<QPrinter> PrinterRecorder::Open(const QString& name) {
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setResolution(600);
    printer->setPageSize(QPageSize(QPageSize::A4));
    lastOutputFile = outputDir + u'/' + name + QStringLiteral(".pdf");
    printer->setOutputFileName(lastOutputFile);
    return printer;
}

bool PrinterRecorder::PrintDialog(QWidget*, QPrinter&, int minPage, int maxPage, int& fromPage,
                                  int& toPage) {
    asked << QStringLiteral("print:%1-%2").arg(minPage).arg(maxPage);
    fromPage = answerFrom > 0 ? answerFrom : minPage;
    toPage = answerTo > 0 ? answerTo : maxPage;
    return printAnswer;
}

bool PrinterRecorder::PrinterSetupDialog(QWidget*, const QStringList& installed, int& index,
                                         std::unique_ptr<QPrinter>& printer) {
    asked << QStringLiteral("setup:%1:%2").arg(installed.join(u','), installed.value(index));
    if (!setupChoice.isEmpty()) {
        index = int(installed.indexOf(setupChoice));
        printer = Open(setupChoice);
    }
    if (setupLandscape)
        printer->setPageOrientation(QPageLayout::Landscape);
    return true;
}

std::optional<QString> PrinterRecorder::FontDialog(QWidget*, const QString& faceName) {
    asked << QStringLiteral("font:") + faceName;
    return fontAnswer;
}
