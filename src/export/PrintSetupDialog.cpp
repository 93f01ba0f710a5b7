#include "export/PrintSetupDialog.h"

#include "data/Money.h"
#include "data/UtFormat.h"
#include "export/PreviewFormEh.h"
#include "export/PrintDBGridEh.h"
#include "platform/Printers.h"
#include "ui/ErrorReport.h"
#include "ui/Guarded.h"
#include "ui/Modal.h"

#include <QApplication>
#include <QCheckBox>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>
#include <optional>

namespace {

// A margin as typed: a plain decimal number, kept to four decimals.
std::optional<qint64> parseMargin(const QString& text) {
    const std::optional<Money> m = Money::parse(text);
    if (!m)
        return std::nullopt;
    return m->raw();
}

QString marginText(const TMargin& m) {
    return Money::fromRaw(m.Raw).toPlainString();
}

void reportBadNumber(const QString& text) {
    ReportError(Format(QStringLiteral("'%s' is not a valid floating point value"), {text}));
}

TfPrnDBGridEhSetupDialog* g_dialog = nullptr;

} // namespace

TfPrnDBGridEhSetupDialog::TfPrnDBGridEhSetupDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("fPrnDBGridEhSetupDialog"));
    setWindowTitle(QStringLiteral("Printer setup"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);

    auto named = [](auto* w, const char* name) {
        w->setObjectName(QLatin1String(name));
        return w;
    };
    grpMargins = named(new QGroupBox(QStringLiteral(" &Margins "), this), "grpMargins");
    auto* mg = new QGridLayout(grpMargins);
    auto marginEdit = [&](const char* name, const char* caption, int row, int col) {
        auto* e = named(new QLineEdit(grpMargins), name);
        e->setFixedWidth(60);
        auto* l = new QLabel(QLatin1String(caption), grpMargins);
        l->setBuddy(e);
        mg->addWidget(l, row, col);
        mg->addWidget(e, row, col + 1);
        e->installEventFilter(this);
        return e;
    };
    seUpMargin = marginEdit("seUpMargin", "&Top", 0, 0);
    seLowMargin = marginEdit("seLowMargin", "&Bottom", 1, 0);
    seLeftMargin = marginEdit("seLeftMargin", "&Left", 0, 2);
    seRightMargin = marginEdit("seRightMargin", "&Right", 1, 2);

    cbFitWidthToPage = named(new QCheckBox(QStringLiteral("&Fits the width on one page"), this),
                             "cbFitWidthToPage");
    rgFitingType = named(new QGroupBox(this), "rgFitingType");
    auto* rl = new QVBoxLayout(rgFitingType);
    rbScaleGrid =
        named(new QRadioButton(QStringLiteral("Scale whole &grid"), rgFitingType), "rgFitingType0");
    rbColWidths = named(new QRadioButton(QStringLiteral("C&hange column widths"), rgFitingType),
                        "rgFitingType1");
    rl->addWidget(rbScaleGrid);
    rl->addWidget(rbColWidths);
    cbOptimalColWidths =
        named(new QCheckBox(QStringLiteral("Optimal column &widths"), this), "cbOptimalColWidths");
    cbAutoStretch =
        named(new QCheckBox(QStringLiteral("&Stretch long lines"), this), "cbAutoStretch");
    cbColored = named(new QCheckBox(QStringLiteral("&Colored"), this), "cbColored");

    auto* fontBox = new QGroupBox(QStringLiteral(" Font name "), this);
    auto* fl = new QHBoxLayout(fontBox);
    ePrintFont = named(new QLineEdit(fontBox), "ePrintFont");
    bPrintFont = named(new QPushButton(QStringLiteral("..."), fontBox), "bPrintFont");
    bPrintFont->setFixedWidth(28);
    bPrintFont->setAutoDefault(false);
    fl->addWidget(ePrintFont, 1);
    fl->addWidget(bPrintFont);

    bPrinterSetupDialog =
        named(new QPushButton(QStringLiteral("&Printer setup"), this), "bPrinterSetupDialog");
    bPrinterSetupDialog->setAutoDefault(false);
    bOk = named(new QPushButton(QStringLiteral("&Ok"), this), "bOk");
    bOk->setDefault(true);
    bCancel = named(new QPushButton(QStringLiteral("&Cancel"), this), "bCancel");
    bCancel->setAutoDefault(false);

    auto* left = new QVBoxLayout;
    left->addWidget(grpMargins);
    left->addWidget(cbFitWidthToPage);
    left->addWidget(rgFitingType);
    left->addWidget(cbOptimalColWidths);
    left->addWidget(cbAutoStretch);
    left->addWidget(cbColored);
    left->addWidget(fontBox);
    auto* right = new QVBoxLayout;
    right->addWidget(bOk);
    right->addWidget(bCancel);
    right->addSpacing(12);
    right->addWidget(bPrinterSetupDialog);
    right->addStretch(1);
    auto* all = new QHBoxLayout(this);
    all->addLayout(left, 1);
    all->addLayout(right);

    GuardedConnect(cbFitWidthToPage, &QCheckBox::toggled, this,
                   &TfPrnDBGridEhSetupDialog::cbFitWidthToPageClick);
    GuardedConnect(bPrintFont, &QPushButton::clicked, this,
                   &TfPrnDBGridEhSetupDialog::bPrintFontClick);
    GuardedConnect(bPrinterSetupDialog, &QPushButton::clicked, this,
                   &TfPrnDBGridEhSetupDialog::bPrinterSetupDialogClick);
    connect(bOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(bCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TfPrnDBGridEhSetupDialog::cbFitWidthToPageClick() {
    rgFitingType->setEnabled(cbFitWidthToPage->isChecked());
}

void TfPrnDBGridEhSetupDialog::bPrintFontClick() {
    if (const std::optional<QString> face = Printers().FontDialog(this, ePrintFont->text()))
        ePrintFont->setText(*face);
}

void TfPrnDBGridEhSetupDialog::bPrinterSetupDialogClick() {
    PreviewFormEh().PrinterPreview().Device().SetupDialog(this);
}

bool TfPrnDBGridEhSetupDialog::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() == QEvent::FocusOut) {
        auto* edit = qobject_cast<QLineEdit*>(watched);
        const auto reason = static_cast<QFocusEvent*>(e)->reason();
        QWidget* next = QApplication::focusWidget();
        // OK checks every margin itself and Cancel changes nothing; a box popping up
        // takes the focus while it is shown.
        if (edit && reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason &&
            next != bOk && next != bCancel)
            QTimer::singleShot(0, this, [this, edit] { checkMargin(edit); });
    }
    return QDialog::eventFilter(watched, e);
}

void TfPrnDBGridEhSetupDialog::checkMargin(QLineEdit* edit) {
    if (m_checking || !isVisible() || parseMargin(edit->text()))
        return;
    m_checking = true;
    reportBadNumber(edit->text());
    edit->setFocus();
    edit->selectAll();
    m_checking = false;
}

bool TfPrnDBGridEhSetupDialog::writeBack(TPrintDBGridEh& c) {
    // In this order; a bad text stops here, keeping what came before it.
    const std::pair<QLineEdit*, TMargin*> margins[] = {{seUpMargin, &c.Page.TopMargin},
                                                       {seLowMargin, &c.Page.BottomMargin},
                                                       {seLeftMargin, &c.Page.LeftMargin},
                                                       {seRightMargin, &c.Page.RightMargin}};
    for (const auto& [edit, margin] : margins) {
        const std::optional<qint64> raw = parseMargin(edit->text());
        if (!raw) {
            reportBadNumber(edit->text());
            return false;
        }
        margin->Raw = *raw;
    }
    TPrintDBGridEhOptions o = c.Options;
    auto set = [&o](int flag, bool on) { o = on ? (o | flag) : (o & ~flag); };
    set(pghFitGridToPageWidth, cbFitWidthToPage->isChecked());
    set(pghFitingByColWidths, rbColWidths->isChecked());
    set(pghOptimalColWidths, cbOptimalColWidths->isChecked());
    set(pghRowAutoStretch, cbAutoStretch->isChecked());
    set(pghColored, cbColored->isChecked());
    c.Options = o;
    c.PrintFontName = ePrintFont->text();
    return true;
}

bool TfPrnDBGridEhSetupDialog::Execute(TPrintDBGridEh& c) {
    seUpMargin->setText(marginText(c.Page.TopMargin));
    seLowMargin->setText(marginText(c.Page.BottomMargin));
    seLeftMargin->setText(marginText(c.Page.LeftMargin));
    seRightMargin->setText(marginText(c.Page.RightMargin));
    cbFitWidthToPage->setChecked(c.Options & pghFitGridToPageWidth);
    rgFitingType->setEnabled(cbFitWidthToPage->isChecked());
    (c.Options & pghFitingByColWidths ? rbColWidths : rbScaleGrid)->setChecked(true);
    cbOptimalColWidths->setChecked(c.Options & pghOptimalColWidths);
    cbAutoStretch->setChecked(c.Options & pghRowAutoStretch);
    cbColored->setChecked(c.Options & pghColored);
    ePrintFont->setText(c.PrintFontName);
    bPrinterSetupDialog->setEnabled(!Printers().Installed().isEmpty());
    seUpMargin->setFocus();
    if (ShowModal(*this) != mrOK)
        return false;
    return writeBack(c);
}

TfPrnDBGridEhSetupDialog& PrintSetupDialog() {
    if (!g_dialog) {
        g_dialog = new TfPrnDBGridEhSetupDialog;
        qAddPostRoutine([] {
            delete g_dialog;
            g_dialog = nullptr;
        });
    }
    return *g_dialog;
}
