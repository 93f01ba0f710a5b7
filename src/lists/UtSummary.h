#pragma once

#include "data/UtQuery.h"

#include <QDate>
#include <QWidget>
#include <functional>

class TDBGridEh;

// The summary strip at the top of the main window: one row of statistics for the
// account or wallet of the list. The main window embeds it in pnlTop.
class TSummaryStrip : public QWidget {
    Q_OBJECT
public:
    explicit TSummaryStrip(QWidget* parent = nullptr);

    TDBGridEh* dbgrdhTotal;
    TQuery qryTotal;

    // The date the month and today figures are taken for; the system's date unless set.
    std::function<QDate()> Today;

    // Share of all balances and this month's and today's deposits and debits.
    void LoadStatistics(int id);
    // Every column gets a sixth of the width, less one for the column line.
    void ResizeColumns(int width);
};
