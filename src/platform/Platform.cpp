#include "platform/Platform.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <QUrl>
#include <vector>

namespace {

// The window a box or dialog belongs to. A part of a window may carry the skin's sheet,
// which a box owned by the part would take on; the window itself carries none, so
// boxes and file dialogs keep the system look.
QWidget* ownerWindow(QWidget* owner) {
    return owner ? owner->window() : nullptr;
}

class QtMessageBoxes : public IMessageBoxes {
public:
    MsgButton Show(QWidget* owner, const QString& caption, const QString& text, MsgIcon icon,
                   MsgButtons buttons) override {
        QMessageBox box(ownerWindow(owner));
        box.setWindowTitle(caption);
        box.setText(text);
        switch (icon) {
        case MsgIcon::Information:
            box.setIcon(QMessageBox::Information);
            break;
        case MsgIcon::Question:
            box.setIcon(QMessageBox::Question);
            break;
        case MsgIcon::Warning:
            box.setIcon(QMessageBox::Warning);
            break;
        case MsgIcon::Error:
            box.setIcon(QMessageBox::Critical);
            break;
        case MsgIcon::None:
            break;
        }
        QMessageBox::StandardButtons std;
        if (buttons & mbOK)
            std |= QMessageBox::Ok;
        if (buttons & mbCancel)
            std |= QMessageBox::Cancel;
        if (buttons & mbYes)
            std |= QMessageBox::Yes;
        if (buttons & mbNo)
            std |= QMessageBox::No;
        box.setStandardButtons(std);
        switch (box.exec()) {
        case QMessageBox::Ok:
            return mbOK;
        case QMessageBox::Yes:
            return mbYes;
        case QMessageBox::No:
            return mbNo;
        case QMessageBox::Cancel:
            return mbCancel;
        default:
            return (buttons & mbCancel) ? mbCancel : ((buttons & mbNo) ? mbNo : mbOK);
        }
    }
};

// "Excel(*.xls)|*.xls|text(*.txt)|*.txt" -> Qt's "Excel (*.xls)" and "text (*.txt)",
// each with the extension its pattern gives ("xls", "txt").
struct NameFilter {
    QString label, suffix;
};
std::vector<NameFilter> qtFilters(const QString& filter) {
    const QStringList parts = filter.split(u'|');
    std::vector<NameFilter> out;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString label = parts.at(i);
        const QString pattern = parts.at(i + 1);
        if (!label.contains(pattern))
            label += QStringLiteral(" (") + pattern + u')';
        const qsizetype dot = pattern.lastIndexOf(u'.');
        const QString suffix = dot < 0 ? QString() : pattern.mid(dot + 1);
        out.push_back({label, suffix.contains(u'*') ? QString() : suffix});
    }
    return out;
}

class QtFileDialogs : public IFileDialogs {
public:
    SaveDialogResult Save(QWidget* owner, const SaveDialogRequest& request) override {
        QFileDialog dialog(ownerWindow(owner));
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setOption(QFileDialog::DontUseNativeDialog, false);
        // An existing file is overwritten without a question.
        dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
        const std::vector<NameFilter> filters = qtFilters(request.filter);
        QStringList labels;
        for (const NameFilter& f : filters)
            labels << f.label;
        dialog.setNameFilters(labels);
        dialog.setDefaultSuffix(request.defaultExtension);
        if (request.filterIndex >= 1 && request.filterIndex <= qsizetype(filters.size())) {
            dialog.selectNameFilter(labels.at(request.filterIndex - 1));
            dialog.setDefaultSuffix(filters[size_t(request.filterIndex - 1)].suffix);
        }
        // The extension added to a bare name is the chosen format's, so "report" with
        // the text filter becomes report.txt, never report.xls.txt.
        QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                         [&dialog, &filters, &labels](const QString& chosen) {
                             const qsizetype i = labels.indexOf(chosen);
                             if (i >= 0)
                                 dialog.setDefaultSuffix(filters[size_t(i)].suffix);
                         });
        dialog.selectFile(request.fileName);
        SaveDialogResult r;
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return r;
        r.accepted = true;
        r.fileName = dialog.selectedFiles().first();
        r.filterIndex = int(labels.indexOf(dialog.selectedNameFilter())) + 1;
        if (r.filterIndex < 1)
            r.filterIndex = 1;
        return r;
    }
    OpenDialogResult Open(QWidget* owner, const OpenDialogRequest& request) override {
        QFileDialog dialog(ownerWindow(owner));
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
        QStringList labels;
        for (const NameFilter& f : qtFilters(request.filter))
            labels << f.label;
        dialog.setNameFilters(labels);
        if (!request.fileName.isEmpty())
            dialog.selectFile(request.fileName);
        OpenDialogResult r;
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return r;
        r.accepted = true;
        r.fileName = dialog.selectedFiles().first();
        return r;
    }
};

bool startFirst(const QStringList& programs) {
    for (const QString& p : programs)
        if (!QStandardPaths::findExecutable(p).isEmpty())
            return QProcess::startDetached(p, {});
    return false;
}

class DesktopShell : public IShell {
public:
    bool Open(const QString& target) override {
        if (target.trimmed().isEmpty())
            return false;
        QUrl url(target, QUrl::TolerantMode);
        if (QFileInfo::exists(target) || url.scheme().isEmpty())
            url = QFileInfo::exists(target) ? QUrl::fromLocalFile(target)
                                            : QUrl(QStringLiteral("http://") + target.trimmed());
        return QDesktopServices::openUrl(url);
    }
    bool StartCalculator() override {
        return startFirst({QStringLiteral("gnome-calculator"), QStringLiteral("kcalc"),
                           QStringLiteral("galculator"), QStringLiteral("mate-calc"),
                           QStringLiteral("xcalc")});
    }
    bool StartTextEditor() override {
        if (startFirst({QStringLiteral("gedit"), QStringLiteral("gnome-text-editor"),
                        QStringLiteral("kate"), QStringLiteral("kwrite"),
                        QStringLiteral("mousepad"), QStringLiteral("pluma"), QStringLiteral("xed"),
                        QStringLiteral("leafpad"), QStringLiteral("xedit")}))
            return true;
        // No editor we know of: the desktop's own choice for text files, which
        // needs a file to open.
        if (QStandardPaths::findExecutable(QStringLiteral("xdg-open")).isEmpty())
            return false;
        QTemporaryFile note(QDir::tempPath() + QStringLiteral("/note-XXXXXX.txt"));
        note.setAutoRemove(false);
        if (!note.open())
            return false;
        return QProcess::startDetached(QStringLiteral("xdg-open"), {note.fileName()});
    }
};

HtmlHelpFactory g_htmlHelpFactory = nullptr;

class RegisteredHtmlHelp : public IHtmlHelp {
public:
    void HtmlHelpA(QWidget* caller, const QString& file, int command, qintptr data) override {
        if (!m_impl && g_htmlHelpFactory)
            m_impl = g_htmlHelpFactory();
        if (m_impl)
            m_impl->HtmlHelpA(caller, file, command, data);
    }

private:
    // Made on the first request: the help windows need the application object.
    std::unique_ptr<IHtmlHelp> m_impl;
};

template <class I, class D> std::unique_ptr<I>& slot() {
    static std::unique_ptr<I> impl = std::make_unique<D>();
    return impl;
}

} // namespace

IMessageBoxes& MessageBoxes() {
    return *slot<IMessageBoxes, QtMessageBoxes>();
}
std::unique_ptr<IMessageBoxes> SetMessageBoxes(std::unique_ptr<IMessageBoxes> impl) {
    return std::exchange(slot<IMessageBoxes, QtMessageBoxes>(), std::move(impl));
}
IFileDialogs& FileDialogs() {
    return *slot<IFileDialogs, QtFileDialogs>();
}
std::unique_ptr<IFileDialogs> SetFileDialogs(std::unique_ptr<IFileDialogs> impl) {
    return std::exchange(slot<IFileDialogs, QtFileDialogs>(), std::move(impl));
}
std::unique_ptr<IFileDialogs> SystemFileDialogs() {
    return std::make_unique<QtFileDialogs>();
}
IShell& Shell() {
    return *slot<IShell, DesktopShell>();
}
std::unique_ptr<IShell> SetShell(std::unique_ptr<IShell> impl) {
    return std::exchange(slot<IShell, DesktopShell>(), std::move(impl));
}

MsgButton ShowMessage(QWidget* owner, const QString& caption, const QString& text, MsgIcon icon,
                      MsgButtons buttons) {
    return MessageBoxes().Show(ownerWindow(owner), caption, text, icon, buttons);
}

SaveDialogResult ShowSaveDialog(QWidget* owner, const SaveDialogRequest& request) {
    return FileDialogs().Save(ownerWindow(owner), request);
}
OpenDialogResult ShowOpenDialog(QWidget* owner, const OpenDialogRequest& request) {
    return FileDialogs().Open(ownerWindow(owner), request);
}
IHtmlHelp& HtmlHelp() {
    return *slot<IHtmlHelp, RegisteredHtmlHelp>();
}
std::unique_ptr<IHtmlHelp> SetHtmlHelp(std::unique_ptr<IHtmlHelp> impl) {
    return std::exchange(slot<IHtmlHelp, RegisteredHtmlHelp>(), std::move(impl));
}
void RegisterHtmlHelpImplementation(HtmlHelpFactory factory) {
    g_htmlHelpFactory = factory;
}

QWidget* HtmlHelpA(QWidget* caller, const char* file, quint32 command, quintptr data) {
    HtmlHelp().HtmlHelpA(caller, file ? QFile::decodeName(file) : QString(), int(command),
                         qintptr(data));
    return nullptr;
}

HtmlHelpEntry LoadHtmlHelpA() {
    return &HtmlHelpA;
}
