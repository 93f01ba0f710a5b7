#include "transactions/UtDebit.h"

TFrmDebit::TFrmDebit(QWidget* parent) : TFrmDeposit(parent, Kind::Debit) {}
