#include "help/UtAbout.h"

#include "platform/Platform.h"
#include "ui/Guarded.h"
#include "ui/Skin.h"
#include "ui/WindowParts.h"

#include <QFrame>
#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>

QString ProductHomePage() {
    return QStringLiteral("https://velmora.test/");
}
QString ProductPage(const QString& page) {
    return ProductHomePage() + page;
}
QString SupportMailAddress() {
    return QStringLiteral("help@velmora.test");
}
QString SalesMailAddress() {
    return QStringLiteral("sales@velmora.test");
}

namespace {
QLabel* link(QLabel* label) {
    label->setStyleSheet(QStringLiteral("color: blue; text-decoration: underline;"));
    label->setCursor(Qt::PointingHandCursor);
    return label;
}
} // namespace

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("About"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFixedSize(298, 213);
    QFont small = font();
    small.setFamilies({QStringLiteral("MS Sans Serif"), small.family()});
    small.setPixelSize(11);
    setFont(small);

    Panel1 = Placed(new QFrame(this), "Panel1", {8, 8, 281, 161});
    // A lowered outer and a raised inner bevel: the etched frame.
    Panel1->setFrameStyle(QFrame::Box | QFrame::Sunken);
    Panel1->setMidLineWidth(1);
    ProgramIcon = Placed(new QLabel(Panel1), "ProgramIcon", {8, 8, 65, 57});
    ProgramIcon->setPixmap(WindowPicture().pixmap(32, 32));
    ProgramIcon->setScaledContents(true);
    ProductName = Placed(new QLabel(QStringLiteral("Velmora Budget"), Panel1), "ProductName",
                         {88, 16, 180, 16});
    Version = Placed(new QLabel(QStringLiteral("V1.0.0.0"), Panel1), "Version", {88, 40, 180, 16});
    MakerNotice =
        Placed(new QLabel(QStringLiteral("Copyright (C) the Velmora Budget authors"), Panel1),
               "MakerNotice", {8, 80, 265, 16});
    // The addresses are short enough for the places the box has for them: the home page
    // on one line of its 120 pixels, the two mail addresses side by side.
    lblHomepage =
        Placed(link(new QLabel(ProductHomePage(), Panel1)), "lblHomepage", {8, 104, 120, 16});
    lblHomepage->setWordWrap(true);
    lbl1 = Placed(new QLabel(QStringLiteral("E-Mail:"), Panel1), "lbl1", {8, 128, 38, 16});
    lblEmail1 =
        Placed(link(new QLabel(SupportMailAddress(), Panel1)), "lblEmail1", {48, 128, 0, 16});
    lblEmail2 =
        Placed(link(new QLabel(SalesMailAddress(), Panel1)), "lblEmail2", {168, 128, 0, 16});
    for (QLabel* l : {lblEmail1, lblEmail2})
        l->adjustSize();
    for (QLabel* l : {lblHomepage, lblEmail1, lblEmail2})
        l->installEventFilter(this);

    OKButton = Placed(new QPushButton(QStringLiteral("OK"), this), "OKButton", {111, 180, 75, 25});
    OKButton->setDefault(true);
    GuardedConnect(OKButton, &QPushButton::clicked, this, &QDialog::accept);

    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

bool TAboutBox::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        if (watched == lblHomepage)
            Guarded([this] { lblHomepageClick(); });
        else if (watched == lblEmail1)
            Guarded([this] { lblEmail1Click(); });
        else if (watched == lblEmail2)
            Guarded([this] { lblEmail2Click(); });
    }
    return QDialog::eventFilter(watched, event);
}

void TAboutBox::lblHomepageClick() {
    Shell().Open(lblHomepage->text());
}
void TAboutBox::lblEmail1Click() {
    Shell().Open(QStringLiteral("Mailto:") + lblEmail1->text());
}
void TAboutBox::lblEmail2Click() {
    Shell().Open(QStringLiteral("Mailto:") + lblEmail2->text());
}
