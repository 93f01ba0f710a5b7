#pragma once

#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

class QPrinter;
class QWidget;

// The installed printers and the common dialogs that go with printing. Tests put a
// recorder in place of the default, which asks Qt's print support and dialogs.
class IPrinters {
public:
    virtual ~IPrinters() = default;
    // Names of the installed printers, the default one first; empty when there are none.
    virtual QStringList Installed() = 0;
    // A printer object for one of the installed printers, at its own resolution.
    virtual std::unique_ptr<QPrinter> Open(const QString& name) = 0;
    // The standard print dialog with page numbers allowed from minPage to maxPage,
    // preset to all pages. On OK the range chosen is in fromPage and toPage.
    virtual bool PrintDialog(QWidget* owner, QPrinter& printer, int minPage, int maxPage,
                             int& fromPage, int& toPage) = 0;
    // The printer setup dialog: which of the installed printers (`index` into
    // `installed`, whose object `printer` is), its paper and orientation. On OK `index`
    // and `printer` are the printer chosen, set up; on Cancel both stay as they were.
    virtual bool PrinterSetupDialog(QWidget* owner, const QStringList& installed, int& index,
                                    std::unique_ptr<QPrinter>& printer) = 0;
    // The font dialog preset to a face name; the face name chosen, none when cancelled.
    virtual std::optional<QString> FontDialog(QWidget* owner, const QString& faceName) = 0;
};

IPrinters& Printers();
std::unique_ptr<IPrinters> SetPrinters(std::unique_ptr<IPrinters> impl);
