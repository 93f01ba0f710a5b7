#include "platform/Printers.h"

#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFontDialog>
#include <QFormLayout>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>

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

    bool PrinterSetupDialog(QWidget* owner, const QStringList& installed, int& index,
                            std::unique_ptr<QPrinter>& printer) override {
        if (index < 0 || index >= installed.size() || !printer)
            return false;
        // Qt's page setup sets paper and orientation of one printer; the choice of the
        // printer goes in front of it. Everything is tried on a printer object of the
        // dialog's own, so that Cancel leaves the one in use as it was.
        QDialog dialog(owner);
        dialog.setWindowTitle(QStringLiteral("Printer setup"));
        auto* name = new QComboBox(&dialog);
        name->addItems(installed);
        name->setCurrentIndex(int(index));
        auto* paper = new QPushButton(QStringLiteral("P&aper and orientation..."), &dialog);
        paper->setAutoDefault(false);
        auto* buttons =
            new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
        auto* form = new QFormLayout(&dialog);
        form->addRow(QStringLiteral("&Name:"), name);
        form->addRow(QString(), paper);
        form->addRow(buttons);
        std::unique_ptr<QPrinter> chosen = Open(installed.at(index));
        chosen->setPageLayout(printer->pageLayout());
        chosen->setCopyCount(printer->copyCount());
        QObject::connect(name, &QComboBox::currentIndexChanged, &dialog,
                         [&](int i) { chosen = Open(installed.at(i)); });
        QObject::connect(paper, &QPushButton::clicked, &dialog, [&] {
            QPageSetupDialog page(chosen.get(), &dialog);
            page.exec();
        });
        QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
        QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
        if (dialog.exec() != QDialog::Accepted)
            return false;
        index = name->currentIndex();
        printer = std::move(chosen);
        return true;
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
