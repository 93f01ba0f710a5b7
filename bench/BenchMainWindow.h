#pragma once

#include <QWidget>
#include <memory>

class TFrmMain;
class TTransactionList;
class TSummaryStrip;

// What the benchmark needs of the main window: the window itself and the list and
// summary it holds.
struct BenchMainWindow {
    std::unique_ptr<QWidget> window;
    TFrmMain* frm = nullptr;
    TTransactionList* list = nullptr;
    TSummaryStrip* strip = nullptr;
};
BenchMainWindow CreateBenchMainWindow();
