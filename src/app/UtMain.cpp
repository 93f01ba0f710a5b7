#include "app/UtMain.h"

#include "app/ErrorReport.h"
#include "data/AppPaths.h"

#include <QDateTime>
#include <QGuiApplication>
#include <QLocale>
#include <QScreen>
#include <QStatusBar>

TFrmMain* FrmMain = nullptr;

TFrmMain::TFrmMain(QWidget* parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("FrmMain"));
    setWindowTitle(QStringLiteral("Velmora Budget V1.0"));
    resize(875, 605);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    auto* bar = new QStatusBar(this);
    bar->setObjectName(QStringLiteral("status"));
    bar->setSizeGripEnabled(false);
    statusWelcome = new QLabel(QStringLiteral("Welcome to use Velmora Bugget V1.0"), bar);
    statusWelcome->setMaximumWidth(200);
    statusWelcome->setMinimumWidth(200);
    statusTotals = new QLabel(QStringLiteral("account Info"), bar);
    statusTotals->setMaximumWidth(300);
    statusClock = new QLabel(QStringLiteral("Time"), bar);
    statusClock->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    bar->addWidget(statusWelcome);
    bar->addWidget(statusTotals, 1);
    bar->addWidget(statusClock, 1);
    setStatusBar(bar);

    tmr1 = new QTimer(this);
    tmr1->setInterval(1000);
    connect(tmr1, &QTimer::timeout, this, [this] { Guarded([this] { tmr1Timer(); }); });
    tmr1->start();

    if (!FrmMain)
        FrmMain = this;
    Guarded([this] { FormCreate(); });
}

TFrmMain::~TFrmMain()
{
    if (FrmMain == this)
        FrmMain = nullptr;
}

void TFrmMain::FormCreate()
{
    if (TApplication* app = Application())
        app->HelpFile = AppDir() + QStringLiteral("budget.chm");
}

void TFrmMain::tmr1Timer()
{
    const QLocale locale;
    const QDateTime now = QDateTime::currentDateTime();
    statusClock->setText(locale.toString(now.date(), QLocale::ShortFormat) + u' ' +
                         locale.toString(now.time(), QLocale::LongFormat));
}
