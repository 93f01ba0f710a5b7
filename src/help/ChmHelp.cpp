#include "help/ChmHelp.h"

#include "help/ChmFile.h"
#include "help/HelpWindow.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <vector>

namespace {

class TChmHelp final : public IHtmlHelp {
public:
    ~TChmHelp() override {
        // Without the application object the windows cannot be destroyed any more;
        // the process is ending then anyway.
        if (QCoreApplication::instance())
            closeAll();
    }

    void HtmlHelpA(QWidget*, const QString& file, int command, qintptr data) override {
        switch (command) {
        case HH_DISPLAY_TOPIC: {
            const qsizetype sep = file.indexOf(QLatin1String("::"));
            THelpWindow* w = windowFor(sep < 0 ? file : file.left(sep));
            const QString page = sep < 0 ? QString() : file.mid(sep + 2);
            if (page.isEmpty() || page == QLatin1String("/"))
                w->ShowContents();
            else
                w->ShowTopic(page);
            present(w);
            break;
        }
        case HH_DISPLAY_TOC: {
            THelpWindow* w = windowFor(file);
            w->ShowContents();
            present(w);
            break;
        }
        case HH_DISPLAY_INDEX: {
            THelpWindow* w = windowFor(file);
            w->ShowIndex(data ? QString::fromLocal8Bit(reinterpret_cast<const char*>(data))
                              : QString());
            present(w);
            break;
        }
        case HH_HELP_CONTEXT: {
            THelpWindow* w = windowFor(file);
            if (w->File().IsOpen()) {
                const QString topic = w->File().ContextTopics().value(quint32(data));
                if (topic.isEmpty())
                    w->ShowProblem(
                        QStringLiteral("The help file has no topic for context %1.").arg(data));
                else
                    w->ShowTopic(topic);
            }
            present(w);
            break;
        }
        case HH_CLOSE_ALL:
            closeAll();
            break;
        default:
            break;
        }
    }

private:
    THelpWindow* windowFor(const QString& file) {
        const QString path = QFileInfo(file).absoluteFilePath();
        std::erase_if(m_Windows, [](const QPointer<THelpWindow>& w) { return w.isNull(); });
        for (const QPointer<THelpWindow>& w : m_Windows) {
            if (w->File().FileName() != path)
                continue;
            if (w->File().IsOpen() && !w->File().IsDamaged())
                return w;
            // The file was missing or damaged last time; it may be whole now.
            delete w.data();
            break;
        }
        auto* w = new THelpWindow(std::make_shared<TChmFile>(path));
        if (!w->File().IsOpen())
            w->ShowProblem(QStringLiteral("The help file %1 cannot be opened.")
                               .arg(QDir::toNativeSeparators(path)));
        m_Windows.emplace_back(w);
        return w;
    }

    static void present(THelpWindow* w) {
        // Whatever was asked, a help file found damaged on the way is what the page says.
        if (w->File().IsDamaged())
            w->ShowProblem(TChmBrowser::DamagedText(w->File().FileName()));
        w->show();
        w->raise();
        w->activateWindow();
    }

    void closeAll() {
        for (const QPointer<THelpWindow>& w : m_Windows)
            delete w.data();
        m_Windows.clear();
    }

    std::vector<QPointer<THelpWindow>> m_Windows;
};

} // namespace

std::unique_ptr<IHtmlHelp> CreateChmHelp() {
    return std::make_unique<TChmHelp>();
}
