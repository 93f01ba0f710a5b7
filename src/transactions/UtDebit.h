#pragma once

#include "transactions/UtDeposit.h"

// Enters or edits one debit: the deposit window with its own texts, payee list,
// record type and the opposite sign on the balance.
class TFrmDebit : public TFrmDeposit {
    Q_OBJECT
public:
    explicit TFrmDebit(QWidget* parent = nullptr);
};
