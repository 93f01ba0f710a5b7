#include "reports/ReportCharts.h"

#include <QBarSeries>
#include <QBarSet>
#include <QCategoryAxis>
#include <QChart>
#include <QCursor>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QLegendMarker>
#include <QLineSeries>
#include <QLocale>
#include <QPalette>
#include <QPieSeries>
#include <QPieSlice>
#include <QToolTip>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

namespace {

// A tooltip at the pointer while it rests on a bar, slice or point.
void showTip(bool on, const QString& text) {
    if (on)
        QToolTip::showText(QCursor::pos(), text);
    else
        QToolTip::hideText();
}

void style(QChart* chart, const QString& title, const TChartColours& c) {
    chart->setTitle(title);
    // Amounts on the axes in the user's own digits and grouping.
    chart->setLocalizeNumbers(true);
    chart->setTitleBrush(c.text);
    chart->setBackgroundBrush(c.background);
    chart->setBackgroundRoundness(0);
    chart->setPlotAreaBackgroundVisible(false);
    chart->legend()->setLabelColor(c.text);
    chart->legend()->setAlignment(Qt::AlignBottom);
    chart->setAnimationOptions(QChart::NoAnimation);
}

void styleAxis(QAbstractAxis* axis, const TChartColours& c) {
    axis->setLabelsBrush(c.text);
    axis->setLinePenColor(c.grid);
    axis->setGridLineColor(c.grid);
    axis->setTitleBrush(c.text);
}

// A value axis over the values in round steps; bars stand on zero, so theirs takes it in.
QValueAxis* moneyAxis(double low, double high, const TChartColours& c, bool withZero = true) {
    auto* axis = new QValueAxis;
    if (withZero) {
        low = std::min(low, 0.0);
        high = std::max(high, 0.0);
    }
    if (low == high) {
        low -= 1;
        high += 1;
    }
    axis->setRange(low, high);
    axis->applyNiceNumbers();
    axis->setLabelFormat(QStringLiteral("%.0f"));
    styleAxis(axis, c);
    return axis;
}

} // namespace

QColor Blend(const QColor& a, const QColor& b, double t) {
    return QColor::fromRgbF(float(a.redF() * (1 - t) + b.redF() * t),
                            float(a.greenF() * (1 - t) + b.greenF() * t),
                            float(a.blueF() * (1 - t) + b.blueF() * t));
}

TChartColours ChartColours(const QPalette& palette) {
    TChartColours c;
    c.background = palette.color(QPalette::Base);
    c.text = palette.color(QPalette::Text);
    const bool dark = c.background.lightnessF() < 0.5;
    c.grid = Blend(c.background, c.text, 0.25);
    // The skin's blue for money in; a brick red beside it for money out.
    c.in = dark ? QColor(0x6f, 0x93, 0xe8) : QColor(0x2f, 0x56, 0xb8);
    c.out = dark ? QColor(0xf0, 0x82, 0x6a) : QColor(0xc0, 0x4a, 0x32);
    c.net = dark ? QColor(0xf2, 0xc9, 0x4c) : QColor(0x1d, 0x2d, 0x5c);
    c.balance = c.in;
    static const QRgb light[] = {0x2f56b8, 0xc04a32, 0x3c8d5a, 0xd08a1e, 0x7b4fa8, 0x2b8fa6,
                                 0xa8325e, 0x6b7d2a, 0x4d6fd6, 0x8a5a3c, 0x8a96ab};
    for (QRgb rgb : light)
        c.slices.push_back(dark ? QColor(rgb).lighter(150) : QColor(rgb));
    return c;
}

QString ExactAmountText(const MoneySum& sum) {
    if (!sum.inRange())
        return sum.raw() > 0 ? QStringLiteral("more than the money range holds")
                             : QStringLiteral("less than the money range holds");
    const Money m = sum.clamped();
    const QLocale locale;
    QString fraction = m.toFixed(4).section(u'.', 1);
    while (fraction.size() > 2 && fraction.endsWith(u'0'))
        fraction.chop(1);
    const WideInt whole = sum.raw() / Money::Scale; // toward zero, like the fraction
    QString text = locale.toString(qlonglong(whole < 0 ? -whole : whole));
    if (sum.raw() < 0)
        text.prepend(locale.negativeSign());
    return text + locale.decimalPoint() + fraction;
}

QString ShareText(const MoneySum& part, const MoneySum& total) {
    return PercentText(part.clamped(), total.clamped());
}

QString MonthToolTip(const TMonthRow& row, int which) {
    static const char* const names[] = {"Money in", "Money out", "Net"};
    const MoneySum value = which == 0 ? row.in : which == 1 ? row.out : row.Net();
    return QStringLiteral("%1, %2: %3")
        .arg(QLocale().toString(row.month, QStringLiteral("MMMM yyyy")),
             QLatin1String(names[std::clamp(which, 0, 2)]), ExactAmountText(value));
}

QString PurposeToolTip(const TPurposeRow& row, const MoneySum& total) {
    return QStringLiteral("%1: %2 (%3%, %4 debits)")
        .arg(row.purpose, ExactAmountText(row.amount), ShareText(row.amount, total))
        .arg(row.records);
}

QString BalanceToolTip(const TBalancePoint& point) {
    return QStringLiteral("%1: %2").arg(QLocale().toString(point.day, QLocale::ShortFormat),
                                        ExactAmountText(point.balance));
}

void ShowIncomeChart(QChart* chart, const std::vector<TMonthRow>& rows, const TChartColours& c) {
    style(chart, QStringLiteral("Income and spending by month"), c);
    auto* in = new QBarSet(QStringLiteral("Money in"));
    auto* out = new QBarSet(QStringLiteral("Money out"));
    auto* net = new QLineSeries;
    net->setName(QStringLiteral("Net"));
    double low = 0, high = 0;
    for (size_t i = 0; i < rows.size(); ++i) {
        // A sum beyond the range is drawn at its end; its tooltip tells the truth.
        const double a = rows[i].in.clamped().toDouble(), b = rows[i].out.clamped().toDouble();
        const double n = rows[i].Net().clamped().toDouble();
        *in << a;
        *out << b;
        net->append(double(i), n);
        low = std::min({low, a, b, n});
        high = std::max({high, a, b, n});
    }
    in->setColor(c.in);
    in->setBorderColor(c.in);
    out->setColor(c.out);
    out->setBorderColor(c.out);
    QPen pen(c.net);
    pen.setWidthF(2);
    net->setPen(pen);
    net->setPointsVisible(rows.size() <= 36);

    auto* bars = new QBarSeries;
    bars->append(in);
    bars->append(out);
    bars->setBarWidth(0.8);
    chart->addSeries(bars);
    chart->addSeries(net);

    auto* months = new QCategoryAxis;
    // Each name stands under the middle of its month. A name must fit the room of the
    // months up to the next one, and names must differ: up to a year every month is named
    // by itself, the year in the axis title; beyond that every third, sixth or twelfth.
    months->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    months->setRange(-0.5, std::max(0.5, double(rows.size()) - 0.5));
    const size_t step = rows.size() <= 12 ? 1 : rows.size() <= 24 ? 3 : rows.size() <= 48 ? 6 : 12;
    const QString form = step == 1    ? QStringLiteral("MMM")
                         : step == 12 ? QStringLiteral("yyyy")
                                      : QStringLiteral("MMM yy");
    for (size_t i = 0; i < rows.size(); ++i) {
        const QDate m = rows[i].month;
        if ((size_t(m.month()) - 1) % step == 0)
            months->append(QLocale().toString(m, form), double(i));
    }
    if (step == 1 && !rows.empty()) {
        const int first = rows.front().month.year(), last = rows.back().month.year();
        months->setTitleText(first == last ? QString::number(first)
                                           : QStringLiteral("%1 - %2").arg(first).arg(last));
    }
    styleAxis(months, c);
    months->setGridLineVisible(false);
    QValueAxis* money = moneyAxis(low, high, c);
    chart->addAxis(months, Qt::AlignBottom);
    chart->addAxis(money, Qt::AlignLeft);
    for (QAbstractSeries* s : std::initializer_list<QAbstractSeries*>{bars, net}) {
        s->attachAxis(months);
        s->attachAxis(money);
    }

    QObject::connect(bars, &QBarSeries::hovered, chart, [rows, in](bool on, int i, QBarSet* set) {
        if (i >= 0 && size_t(i) < rows.size())
            showTip(on, MonthToolTip(rows[size_t(i)], set == in ? 0 : 1));
    });
    QObject::connect(net, &QLineSeries::hovered, chart, [rows](const QPointF& p, bool on) {
        const long i = std::lround(p.x());
        if (i >= 0 && size_t(i) < rows.size())
            showTip(on, MonthToolTip(rows[size_t(i)], 2));
    });
}

void ShowPurposeChart(QChart* chart, const TPurposeReport& report, const TChartColours& c) {
    style(chart, QStringLiteral("Spending by purpose"), c);
    // The legend names each slice with its amount; the slice itself shows its share.
    chart->legend()->setAlignment(Qt::AlignRight);
    auto* donut = new QPieSeries;
    donut->setHoleSize(0.45);
    donut->setPieSize(0.8);
    for (size_t i = 0; i < report.rows.size(); ++i) {
        const TPurposeRow& row = report.rows[i];
        // A slice cannot be negative; refunds larger than the spending show in the table.
        const double value = std::max(0.0, row.amount.clamped().toDouble());
        auto* slice = new QPieSlice(
            QStringLiteral("%1: %2").arg(row.purpose, ExactAmountText(row.amount)), value);
        const bool other = row.purpose == OtherPurposesText() && i + 1 == report.rows.size();
        slice->setColor(other ? c.slices.back() : c.slices[i % (c.slices.size() - 1)]);
        slice->setBorderColor(c.background);
        donut->append(slice);
        QObject::connect(slice, &QPieSlice::hovered, chart,
                         [row, total = report.total, slice](bool on) {
                             slice->setExploded(on);
                             showTip(on, PurposeToolTip(row, total));
                         });
    }
    chart->addSeries(donut);
    // The share is written on each slice wide enough to hold it, and the legend keeps the
    // names with their amounts (a marker takes its slice's label, so it is set last).
    const QList<QPieSlice*> slices = donut->slices();
    const QList<QLegendMarker*> markers = chart->legend()->markers(donut);
    for (qsizetype i = 0; i < slices.size(); ++i) {
        QPieSlice* s = slices[i];
        const QString name = s->label();
        if (s->percentage() >= 0.04) {
            s->setLabel(ShareText(report.rows[size_t(i)].amount, report.total) + u'%');
            s->setLabelPosition(QPieSlice::LabelInsideHorizontal);
            s->setLabelColor(s->color().lightnessF() > 0.55 ? Qt::black : Qt::white);
            s->setLabelVisible(true);
        }
        if (i < markers.size())
            markers[i]->setLabel(name);
    }
}

void ShowBalanceChart(QChart* chart, const TBalanceReport& report, const TChartColours& c) {
    style(chart, QStringLiteral("Balance over time"), c);
    chart->legend()->setVisible(false);
    auto* line = new QLineSeries;
    line->setName(QStringLiteral("Balance"));
    QPen pen(c.balance);
    pen.setWidthF(2);
    line->setPen(pen);
    const auto at = [](const QDate& d) {
        return double(QDateTime(d, QTime(12, 0)).toMSecsSinceEpoch());
    };
    double low = report.opening.clamped().toDouble(), high = low;
    std::vector<TBalancePoint> points;
    if (!report.days.empty())
        points.push_back({report.days.front().day.addDays(-1), report.opening, {}});
    points.insert(points.end(), report.days.begin(), report.days.end());
    for (const TBalancePoint& p : points) {
        const double v = p.balance.clamped().toDouble();
        line->append(at(p.day), v);
        low = std::min(low, v);
        high = std::max(high, v);
    }
    chart->addSeries(line);
    auto* days = new QDateTimeAxis;
    days->setFormat(points.size() > 400 ? QStringLiteral("yyyy") : QStringLiteral("MMM d"));
    if (!points.empty())
        days->setRange(QDateTime(points.front().day, QTime(0, 0)),
                       QDateTime(points.back().day, QTime(23, 59)));
    styleAxis(days, c);
    QValueAxis* money = moneyAxis(low, high, c, false);
    chart->addAxis(days, Qt::AlignBottom);
    chart->addAxis(money, Qt::AlignLeft);
    line->attachAxis(days);
    line->attachAxis(money);
    QObject::connect(line, &QLineSeries::hovered, chart, [points, at](const QPointF& p, bool on) {
        // The nearest day to the pointer.
        const auto it = std::min_element(points.begin(), points.end(), [&](auto& a, auto& b) {
            return std::abs(at(a.day) - p.x()) < std::abs(at(b.day) - p.x());
        });
        if (it != points.end())
            showTip(on, BalanceToolTip(*it));
    });
}
