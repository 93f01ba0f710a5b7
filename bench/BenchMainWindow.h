#pragma once

#include <QWidget>
#include <memory>

class TTransactionList;
class TSummaryStrip;

// What the benchmark needs of the main window: the window itself and the list and
// summary it holds. For now a plain frame stands in for it; the real main window
// takes its place here once it exists.
struct BenchMainWindow {
    std::unique_ptr<QWidget> window;
    TTransactionList* list = nullptr;
    TSummaryStrip* strip = nullptr;
};
BenchMainWindow CreateBenchMainWindow();
