#include "BenchMainWindow.h"

#include "app/UtMain.h"

BenchMainWindow CreateBenchMainWindow() {
    BenchMainWindow m;
    auto* frm = new TFrmMain();
    m.window.reset(frm);
    m.frm = frm;
    m.list = frm->TransactionList;
    m.strip = frm->SummaryStrip;
    return m;
}
