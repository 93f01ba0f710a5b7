#include "export/DBGridEhExport.h"

#include "data/Errors.h"
#include "grid/DBGridEh.h"

#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QIODevice>
#include <QSaveFile>
#include <algorithm>

namespace {

// Pieces are gathered here and handed to the device in large blocks: a file device
// costs far more per call than per byte.
constexpr qsizetype kBufferSize = 64 * 1024;

// The device refused bytes; WriteToFile puts the file's name to the reason.
class EStreamWriteError : public EBudgetError {
public:
    using EBudgetError::EBudgetError;
};

QString fileMessage(const char* what, const QString& path, const QString& reason) {
    return QStringLiteral("%1 \"%2\". %3")
        .arg(QLatin1String(what), QDir::toNativeSeparators(path), reason);
}

} // namespace

// What every cell of one column shares during an export.
struct TDBGridEhExport::ColumnLook {
    TExportFont font;
    QColor background;
    Qt::Alignment alignment;
};

TDBGridEhExport::TDBGridEhExport() : m_system(QStringConverter::System) {}

TDBGridEhExport::~TDBGridEhExport() = default;

void TDBGridEhExport::WriteToStream(QIODevice* stream, bool allRows) {
    if (!Grid)
        throw EBudgetError(QStringLiteral("There is no grid to export"));
    Stream = stream;
    m_buffer.resize(0);
    m_buffer.reserve(kBufferSize + 1024);
    m_system = QStringEncoder(QStringConverter::System);
    ExportColumns = Grid->VisibleColumns();
    const int footerRows = Grid->FooterRowCount();
    FooterTotals.assign(ExportColumns.size() * size_t(footerRows), MoneySum());
    m_looks.assign(size_t(Grid->ColumnCount()), ColumnLook());
    const TExportFont font{Grid->font(), Grid->FontColor()};
    for (int c : ExportColumns)
        m_looks[size_t(c)] = ColumnLook{font, Grid->ColumnColor(c), Grid->ColumnAlignment(c)};

    // Rows are read by their position in the grid's order, so the grid's current row,
    // selection and sort stay as they are and nothing is redrawn meanwhile.
    std::vector<int> selected;
    if (!allRows)
        selected = Grid->SelectedRows();
    const int rows = allRows ? Grid->RowCount() : int(selected.size());

    BeginFile();
    if (!Grid->horizontalHeader()->isHidden())
        PutTitleRow(ExportColumns);
    for (int i = 0; i < rows; ++i) {
        m_row = allRows ? i : selected[size_t(i)];
        PutDataRow(ExportColumns);
        AddFooterTotals();
    }
    m_row = -1;
    for (int r = 0; r < footerRows; ++r)
        PutFooterRow(ExportColumns, r);
    EndFile();
    Flush();
}

void TDBGridEhExport::WriteToFile(const QString& fileName, bool allRows) {
    const QString path = QFileInfo(fileName).absoluteFilePath();
    QSaveFile file(path);
    // Our own buffer gathers the pieces; a second one below it would only copy them.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        throw EBudgetError(fileMessage("Cannot create file", path, file.errorString()));
    try {
        WriteToStream(&file, allRows);
    } catch (const EStreamWriteError& e) {
        throw EBudgetError(fileMessage("Cannot write file", path, e.message()));
    }
    if (!file.commit())
        throw EBudgetError(fileMessage("Cannot write file", path, file.errorString()));
}

void TDBGridEhExport::PutTitleRow(const std::vector<int>&) {}

void TDBGridEhExport::PutDataRow(const std::vector<int>& columns) {
    for (int c : columns) {
        const ColumnLook& look = m_looks[size_t(c)];
        Cell.Font = look.font;
        Cell.Background = look.background;
        Cell.Alignment = look.alignment;
        Cell.Text = Grid->CellText(m_row, c);
        PutDataCell(c, Cell);
    }
}

void TDBGridEhExport::PutDataCell(int, const TColCellParamsEh&) {}

void TDBGridEhExport::PutFooterRow(const std::vector<int>& columns, int footerRow) {
    const TExportFont font{Grid->FooterFont(), Grid->FontColor()};
    const QColor background = Grid->FooterColor();
    for (size_t i = 0; i < columns.size(); ++i) {
        const int c = columns[i];
        const QString text = IsSumFooter(c) ? FooterText(footerRow, c) : Grid->FooterText(c);
        PutFooterCell(int(i), footerRow, text, Grid->FooterAlignment(c), background, font, c);
    }
}

void TDBGridEhExport::PutFooterCell(int, int, const QString&, Qt::Alignment, const QColor&,
                                    const TExportFont&, int) {}

bool TDBGridEhExport::IsSumFooter(int column) const {
    return Grid->Column(column).FooterType == TFooterValueType::fvtSum;
}

const MoneySum& TDBGridEhExport::FooterTotal(int footerRow, int columnIndex) const {
    return FooterTotals.at(size_t(columnIndex) + size_t(footerRow) * ExportColumns.size());
}

void TDBGridEhExport::AddFooterTotals() {
    const size_t n = ExportColumns.size();
    for (size_t r = 0; r * n < FooterTotals.size(); ++r)
        for (size_t i = 0; i < n; ++i) {
            const int c = ExportColumns[i];
            if (!IsSumFooter(c))
                continue;
            MoneySum& total = FooterTotals[i + r * n];
            total.add(Grid->FooterValue(m_row, c));
            if (!total.valid())
                throw EBudgetError(QStringLiteral("The sum under \"%1\" is too large to be written")
                                       .arg(Grid->ColumnTitle(c)));
        }
}

QString TDBGridEhExport::FooterText(int footerRow, int column) const {
    const auto at = std::find(ExportColumns.begin(), ExportColumns.end(), column);
    if (at == ExportColumns.end())
        return {};
    const MoneySum& total = FooterTotal(footerRow, int(at - ExportColumns.begin()));
    if (Grid->FooterFieldKind(column) == TFieldKind::fkInteger)
        return total.wholeUnitsString();
    // Every decimal the total holds: the grid's own footer may round to its display
    // format, the file does not.
    return total.toPlainString(QLocale());
}

void TDBGridEhExport::Put(const char* bytes, qsizetype size) {
    m_buffer.append(bytes, size);
    FlushIfFull();
}

void TDBGridEhExport::PutSystemText(QStringView text) {
    const qsizetype used = m_buffer.size();
    m_buffer.resize(used + m_system.requiredSpace(text.size()));
    char* end = m_system.appendToBuffer(m_buffer.data() + used, text);
    m_buffer.resize(end - m_buffer.constData());
    FlushIfFull();
}

void TDBGridEhExport::FlushIfFull() {
    if (m_buffer.size() >= kBufferSize)
        Flush();
}

void TDBGridEhExport::Flush() {
    if (!Stream)
        throw EStreamWriteError(QStringLiteral("There is no file to write to"));
    // A device that takes only part of a block (a disk filling up) tells why only when
    // asked to take the rest.
    qsizetype done = 0;
    while (done < m_buffer.size()) {
        const qint64 n = Stream->write(m_buffer.constData() + done, m_buffer.size() - done);
        if (n <= 0)
            throw EStreamWriteError(Stream->errorString());
        done += qsizetype(n);
    }
    m_buffer.resize(0);
}

void ExportGridToFile(TDBGridEhExportClass exportClass, TDBGridEh* grid, const QString& fileName,
                      bool allRows) {
    const std::unique_ptr<TDBGridEhExport> writer = exportClass();
    writer->Grid = grid;
    writer->WriteToFile(fileName, allRows);
}
