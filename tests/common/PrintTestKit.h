#pragma once

#include "TestEnv.h"
#include "export/PrintDBGridEh.h"
#include "platform/Printers.h"

#include <QLineF>
#include <QPicture>
#include <QPointF>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

class QWidget;
class TDBGridEh;
class TQuery;
struct TPageGeometry;
class PrinterRecorder;

// What printing tests share: a grid set up like the history window's, a stand-in for
// the printers and their dialogs, and a look at what a recorded page draws.
namespace PrintTestKit {

// Adds count deposits and debits to an account, one a minute from 2024-01-01 00:01 on:
// row i (from 1) pays i units, from "shop<i>" for "food", with the given memo.
void AddRows(TestEnv& env, int account, int count, const QString& memo = {});

// The combined statement of the history window over every account and wallet, ordered
// by date as the window orders it.
QString HistoryStatement();

// The history window's grid over a query: nine columns of 30, 7 x 100 and 200 pixels,
// "SUM" under "Date" and the sum of the amounts under "Amount", several rows selectable.
TDBGridEh* MakeHistoryGrid(TQuery* query, QWidget* parent = nullptr);

// Selects these list positions in a multi-row grid.
void SelectRows(TDBGridEh* grid, const std::vector<int>& rows);

// Rows in a fresh database, the history grid over them, and the print component with the
// history window's settings; no printer is installed unless a test names one.
struct GridFixture {
    TestEnv env;
    PrinterRecorder* printers;
    int account = 0;
    std::unique_ptr<TQuery> query;
    std::unique_ptr<TDBGridEh> grid;
    TPrintDBGridEh print;

    explicit GridFixture(int rows, const QString& memo = {});
    ~GridFixture();
    // Opens the statement again after rows were added.
    void Reload();
};

// The number of pages in a PDF file (-1 when it cannot be read).
int PagesInPdf(const QString& file);

// One piece of text a page draws, in the page's device units.
struct DrawnText {
    QString text;
    QPointF pos;      // baseline start
    double pixelSize; // the font's height as drawn
};
struct DrawnPage {
    std::vector<DrawnText> texts;
    std::vector<QLineF> lines;
    QStringList Texts() const;
    const DrawnText* Find(const QString& text) const; // the first, or null
    int Count(const QString& text) const;
};
// Replays a page onto a device that notes every text and line it is asked to draw.
DrawnPage Replay(const QPicture& page, const TPageGeometry& geometry);

} // namespace PrintTestKit

// Stands in for the installed printers and their dialogs. With no names there is no
// printer; a printer "opened" writes PDF into the given folder.
class PrinterRecorder : public IPrinters {
public:
    QStringList Installed() override { return names; }
    std::unique_ptr<QPrinter> Open(const QString& name) override;
    bool PrintDialog(QWidget*, QPrinter& printer, int minPage, int maxPage, int& fromPage,
                     int& toPage) override;
    bool PrinterSetupDialog(QWidget*, const QStringList& installed, int& index,
                            std::unique_ptr<QPrinter>& printer) override;
    std::optional<QString> FontDialog(QWidget*, const QString& faceName) override;

    QStringList names;
    QString outputDir;
    // Answers and what was asked.
    bool printAnswer = true;
    int answerFrom = 0, answerTo = 0; // 0: all pages
    QStringList asked;                // "print:min-max", "setup:installed,...:current", "font:face"
    QString setupChoice;              // the printer the setup dialog picks; empty: the current one
    bool setupLandscape = false;
    std::optional<QString> fontAnswer;
    QString lastOutputFile;
};
