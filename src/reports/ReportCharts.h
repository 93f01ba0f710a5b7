#pragma once

#include "reports/ReportNumbers.h"

#include <QColor>
#include <QString>
#include <vector>

class QChart;
class QPalette;

// The charts of the reports window, drawn with Qt Charts from the numbers of a report.

// The colours a chart is drawn in: the skin's blues on the window's own base colour, so a
// dark desktop palette gives a dark chart with light texts and lighter bars.
struct TChartColours {
    QColor background, text, grid;
    QColor in, out, net, balance;
    std::vector<QColor> slices; // one per purpose, "Other" last
};
TChartColours ChartColours(const QPalette& palette);
// a moved towards b by t (0 to 1).
QColor Blend(const QColor& a, const QColor& b, double t);

// An amount with every decimal it has (at least two), grouped as the user's locale
// groups: "1,234.50", "10.005"; or the words for a sum beyond the money range.
QString ExactAmountText(const MoneySum& sum);

// Each fills the chart anew (series, axes, title, colours). Every bar, slice and point
// gets a tooltip with its exact amount.
void ShowIncomeChart(QChart* chart, const std::vector<TMonthRow>& rows, const TChartColours& c);
void ShowPurposeChart(QChart* chart, const TPurposeReport& report, const TChartColours& c);
void ShowBalanceChart(QChart* chart, const TBalanceReport& report, const TChartColours& c);

// The tooltip texts, as the charts show them.
QString MonthToolTip(const TMonthRow& row, int which); // 0 money in, 1 money out, 2 net
QString PurposeToolTip(const TPurposeRow& row, const MoneySum& total);
QString BalanceToolTip(const TBalancePoint& point);

// The share of a purpose in all spending, as a percentage with two decimals ("12.35").
QString ShareText(const MoneySum& part, const MoneySum& total);
