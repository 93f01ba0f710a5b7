#include "ui/Skin.h"

#include <QDialog>
#include <QFile>
#include <QIcon>
#include <QMenu>
#include <QPalette>
#include <QWidget>

static void initUiResources() {
    Q_INIT_RESOURCE(ui);
}

namespace {

const QString& skinSheet() {
    static const QString sheet = [] {
        initUiResources();
        QFile f(QStringLiteral(":/ui/skin/velmora.qss"));
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }();
    return sheet;
}

} // namespace

void ApplySkin(QWidget* window) {
    if (!window)
        return;
    QPalette pal = window->palette();
    pal.setColor(QPalette::Window, QColor(0xee, 0xf1, 0xf6));
    pal.setColor(QPalette::Button, QColor(0xe6, 0xea, 0xf1));
    pal.setColor(QPalette::Highlight, QColor(0x2f, 0x56, 0xb8));
    // Palettes do not pass on to child windows, so boxes owned by this window keep
    // theirs.
    window->setPalette(pal);
    for (QWidget* part : window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (qobject_cast<QDialog*>(part))
            continue;
        if (part->isWindow() && !qobject_cast<QMenu*>(part))
            continue;
        part->setStyleSheet(skinSheet());
    }
}

QIcon ToolPicture(TToolPicture picture) {
    initUiResources();
    return QIcon(
        QStringLiteral(":/ui/pictures/tool%1.png").arg(int(picture), 2, 10, QLatin1Char('0')));
}

QIcon WindowPicture() {
    initUiResources();
    // The program's icon in the sizes the desktop's icon theme has it in.
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/ui/icon/%1.png").arg(size), QSize(size, size));
    return icon;
}
