#pragma once

#include "data/Money.h"

#include <QByteArray>
#include <QColor>
#include <QFont>
#include <QString>
#include <QStringEncoder>
#include <memory>
#include <vector>

class QIODevice;
class TDBGridEh;

// A font as a cell is drawn with it: the face and its colour.
struct TExportFont {
    QFont Font;
    QColor Color;
};

// The presentation of the cell being written.
struct TColCellParamsEh {
    QString Text;
    Qt::Alignment Alignment = Qt::AlignLeft;
    QColor Background;
    TExportFont Font;
};

// Writes what a grid shows to a file: its visible columns in display order, the title
// row, every row of the list in the grid's current order and the footer rows. One writer
// lives for one export; the derived classes give the file its format. Writers read the
// grid's presentation only: they never move its current row, nor touch its selection,
// sort or data.
class TDBGridEhExport {
public:
    TDBGridEhExport();
    virtual ~TDBGridEhExport();
    TDBGridEhExport(const TDBGridEhExport&) = delete;
    TDBGridEhExport& operator=(const TDBGridEhExport&) = delete;

    TDBGridEh* Grid = nullptr;

    // The export driver. allRows false writes only the selected rows.
    virtual void WriteToStream(QIODevice* stream, bool allRows);
    // Writes beside the file and puts it in place only when complete, so a failure
    // leaves whatever was there before; errors name the file's full path.
    virtual void WriteToFile(const QString& fileName, bool allRows);

protected:
    virtual void BeginFile() {}
    virtual void EndFile() {}
    virtual void PutTitleRow(const std::vector<int>& columns);
    virtual void PutDataRow(const std::vector<int>& columns);
    virtual void PutDataCell(int column, const TColCellParamsEh& cell);
    virtual void PutFooterRow(const std::vector<int>& columns, int footerRow);
    virtual void PutFooterCell(int columnIndex, int footerRow, const QString& text,
                               Qt::Alignment alignment, const QColor& background,
                               const TExportFont& font, int column);

    // A sum footer's text from its running total: general number format for numbers,
    // a whole number for whole-number fields.
    QString FooterText(int footerRow, int column) const;
    bool IsSumFooter(int column) const;
    const MoneySum& FooterTotal(int footerRow, int columnIndex) const;
    // The list row being written (a position in the grid's current order).
    int Row() const { return m_row; }

    // Output goes through one buffer; a failing device throws.
    void Put(const char* bytes, qsizetype size);
    void Put(QByteArrayView bytes) { Put(bytes.data(), bytes.size()); }
    // A text in the user's system character set.
    void PutSystemText(QStringView text);
    QByteArray& Buffer() { return m_buffer; } // for writers that append in place
    void FlushIfFull();

    QIODevice* Stream = nullptr;
    std::vector<int> ExportColumns;
    // Running totals, index column + footer row x column count.
    std::vector<MoneySum> FooterTotals;
    TColCellParamsEh Cell;

private:
    void AddFooterTotals();
    void Flush();
    struct ColumnLook;
    std::vector<ColumnLook> m_looks;
    QByteArray m_buffer;
    QStringEncoder m_system;
    int m_row = -1;
};

// Tab-separated lines joined by CR LF.
class TDBGridEhExportAsText : public TDBGridEhExport {
public:
    void WriteToStream(QIODevice* stream, bool allRows) override;

protected:
    void PutTitleRow(const std::vector<int>& columns) override;
    void PutDataRow(const std::vector<int>& columns) override;
    void PutDataCell(int column, const TColCellParamsEh& cell) override;
    void PutFooterRow(const std::vector<int>& columns, int footerRow) override;
    void PutFooterCell(int columnIndex, int footerRow, const QString& text, Qt::Alignment alignment,
                       const QColor& background, const TExportFont& font, int column) override;
    void StartLine();
    void StartCell();

    bool NoLineYet = true;
    bool NoCellYet = true;
};

// An HTML 3.2 page holding one table with the grid's widths, alignments, colours and
// fonts.
class TDBGridEhExportAsHTML : public TDBGridEhExport {
protected:
    void BeginFile() override;
    void EndFile() override;
    void PutTitleRow(const std::vector<int>& columns) override;
    void PutDataRow(const std::vector<int>& columns) override;
    void PutDataCell(int column, const TColCellParamsEh& cell) override;
    void PutFooterRow(const std::vector<int>& columns, int footerRow) override;
    void PutFooterCell(int columnIndex, int footerRow, const QString& text, Qt::Alignment alignment,
                       const QColor& background, const TExportFont& font, int column) override;
    void PutText(QStringView text) { PutSystemText(text); }
    void PutLine(QStringView text);
    void PutCell(int column, Qt::Alignment alignment, const QColor* background,
                 const TExportFont& font, const QString& text);
    void FontText(const TExportFont& font, const QString& text);
};

// Worksheet records in the BIFF layout: numbers stay numbers, texts are labels.
class TDBGridEhExportAsXLS : public TDBGridEhExport {
public:
    void WriteToStream(QIODevice* stream, bool allRows) override;
    // A worksheet row number is 16 bits wide.
    static constexpr int MaxRows = 65536;

protected:
    void BeginFile() override;
    void EndFile() override;
    void PutTitleRow(const std::vector<int>& columns) override;
    void PutDataCell(int column, const TColCellParamsEh& cell) override;
    void PutFooterCell(int columnIndex, int footerRow, const QString& text, Qt::Alignment alignment,
                       const QColor& background, const TExportFont& font, int column) override;
    void PutBlankCell();
    void PutIntegerCell(qint64 value);
    void PutNumberCell(double value);
    void PutLabelCell(QStringView text);
    void NextCell();

    quint16 RowNo = 0;
    quint16 ColNo = 0;
};

// Which writer an export uses.
using TDBGridEhExportClass = std::unique_ptr<TDBGridEhExport> (*)();
template <class Writer> std::unique_ptr<TDBGridEhExport> CreateExport() {
    return std::make_unique<Writer>();
}

// One export: a writer of the class writes the grid to the file.
void ExportGridToFile(TDBGridEhExportClass exportClass, TDBGridEh* grid, const QString& fileName,
                      bool allRows);
