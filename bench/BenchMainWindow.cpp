#include "BenchMainWindow.h"

#include "lists/UtSummary.h"
#include "lists/UtTransactionList.h"

#include <QVBoxLayout>

BenchMainWindow CreateBenchMainWindow() {
    BenchMainWindow m;
    m.window = std::make_unique<QWidget>();
    auto* layout = new QVBoxLayout(m.window.get());
    layout->setContentsMargins(0, 0, 0, 0);
    m.strip = new TSummaryStrip(m.window.get());
    m.strip->setFixedHeight(36);
    m.list = new TTransactionList(m.window.get());
    layout->addWidget(m.strip);
    layout->addWidget(m.list, 1);
    m.window->resize(1000, 700);
    return m;
}
