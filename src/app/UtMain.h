#pragma once

#include <QLabel>
#include <QMainWindow>
#include <QTimer>

// The program's frame.
class TFrmMain : public QMainWindow {
    Q_OBJECT
public:
    explicit TFrmMain(QWidget* parent = nullptr);
    ~TFrmMain() override;

    QLabel* statusWelcome = nullptr; // first status section
    QLabel* statusTotals = nullptr;  // second: the totals
    QLabel* statusClock = nullptr;   // last: the clock
    QTimer* tmr1 = nullptr;

public slots:
    void FormCreate();
    void tmr1Timer();
};

extern TFrmMain* FrmMain;
