#include "export/PrintDBGridEh.h"

#include "data/UtQuery.h"
#include "export/GridPageLayout.h"
#include "export/PreviewFormEh.h"
#include "export/PrintSetupDialog.h"
#include "grid/DBGridEh.h"
#include "platform/WaitCursor.h"

TPageColontitle::TPageColontitle() : Font(QStringLiteral("MS Sans Serif")) {
    Font.setPointSize(8);
}

bool TPageColontitle::IsEmpty() const {
    return LeftText.isEmpty() && CenterText.isEmpty() && RightText.isEmpty();
}

TPrintDBGridEh::TPrintDBGridEh(QObject* owner) : QObject(owner) {}

TPrintDBGridEh::~TPrintDBGridEh() = default;

void TPrintDBGridEh::SetUnits(TMeasureUnits units) {
    if (units == m_units)
        return;
    // x 2.54 towards millimetres (centimetres, in fact), x 0.3937 towards inches.
    const qint64 num = units == TMeasureUnits::MM ? 254 : 3937;
    const qint64 den = units == TMeasureUnits::MM ? 100 : 10000;
    for (TMargin* m : {&Page.TopMargin, &Page.BottomMargin, &Page.LeftMargin, &Page.RightMargin})
        m->Raw = DivRoundHalfEven(m->Raw * num, den);
    m_units = units;
}

bool TPrintDBGridEh::CanPrint() const {
    return DBGridEh && DBGridEh->DataSet() && DBGridEh->DataSet()->Active();
}

void TPrintDBGridEh::Print(TVirtualPrinter& printer) {
    if (!CanPrint())
        return;
    if (OnBeforePrint)
        OnBeforePrint();
    int pages = 0;
    bool counts = false;
    for (const TPageColontitle* c : {&PageHeader, &PageFooter})
        for (const QStringList* t : {&c->LeftText, &c->CenterText, &c->RightText})
            counts = counts || NamesPageCount(t->join(u'\n'));
    if (counts) {
        const TWaitCursor wait;
        TPageCounter counter(printer.Geometry());
        TGridPageLayout(*this, counter, true, 0).Run();
        pages = counter.PageCount();
    }
    TGridPageLayout(*this, printer, false, pages).Run();
    if (OnAfterPrint)
        OnAfterPrint();
}

void TPrintDBGridEh::Preview() {
    if (!CanPrint())
        return;
    TPreviewFormEh& form = PreviewFormEh();
    TPrinterPreview& preview = form.PrinterPreview();
    if (preview.Printing())
        return;
    preview.Device().Refresh();
    QPointer<TPrintDBGridEh> self(this);
    preview.SetupHandler = OnPrinterSetupDialog ? OnPrinterSetupDialog : [self] {
        if (self)
            self->DefaultSetup();
    };
    preview.PrintComponent = this;
    // When this component goes, the preview keeps its pages but can no longer set up.
    connect(this, &QObject::destroyed, &form, &TPreviewFormEh::UpdateState, Qt::UniqueConnection);
    form.AttachTo(DBGridEh->window());
    Print(preview);
}

void TPrintDBGridEh::DefaultSetup() {
    if (PrintSetupDialog().Execute(*this))
        Preview();
}
