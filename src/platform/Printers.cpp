#include "platform/Printers.h"

#include <QFontDialog>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>

namespace {

class QtPrinters : public IPrinters {
public:
    QStringList Installed() override {
        QStringList names = QPrinterInfo::availablePrinterNames();
        const QString def = QPrinterInfo::defaultPrinterName();
        if (names.removeOne(def))
            names.prepend(def);
        return names;
    }

    std::unique_ptr<QPrinter> Open(const QString& name) override {
        auto printer =
            std::make_unique<QPrinter>(QPrinterInfo::printerInfo(name), QPrinter::HighResolution);
        return printer;
    }

    bool PrintDialog(QWidget* owner, QPrinter& printer, int minPage, int maxPage, int& fromPage,
                     int& toPage) override {
        QPrintDialog dialog(&printer, owner);
        dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
        dialog.setMinMax(minPage, maxPage);
        dialog.setPrintRange(QAbstractPrintDialog::AllPages);
        if (dialog.exec() != QDialog::Accepted)
            return false;
        fromPage = minPage;
        toPage = maxPage;
        if (dialog.printRange() == QAbstractPrintDialog::PageRange && dialog.fromPage() > 0) {
            fromPage = dialog.fromPage();
            toPage = dialog.toPage();
        }
        return true;
    }

    bool PrinterSetupDialog(QWidget* owner, QPrinter& printer) override {
        QPageSetupDialog dialog(&printer, owner);
        return dialog.exec() == QDialog::Accepted;
    }

    std::optional<QString> FontDialog(QWidget* owner, const QString& faceName) override {
        bool ok = false;
        const QFont font = QFontDialog::getFont(&ok, QFont(faceName), owner);
        if (!ok)
            return std::nullopt;
        return font.family();
    }
};

std::unique_ptr<IPrinters>& slot() {
    static std::unique_ptr<IPrinters> impl = std::make_unique<QtPrinters>();
    return impl;
}

} // namespace

IPrinters& Printers() {
    return *slot();
}

std::unique_ptr<IPrinters> SetPrinters(std::unique_ptr<IPrinters> impl) {
    return std::exchange(slot(), std::move(impl));
}
