#pragma once

#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;

// The product's web site and mail addresses, shared by the about box and the main
// window's Help menu.
QString ProductHomePage();
QString ProductPage(const QString& page); // a page of the web site, e.g. "features.htm"
QString SupportMailAddress();
QString SalesMailAddress();

// The about box: product name, version, the maker's notice and three links. A link
// opens exactly the text it shows.
class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget* parent = nullptr);

    QFrame* Panel1;
    QLabel* ProgramIcon;
    QLabel* ProductName;
    QLabel* Version;
    QLabel* MakerNotice;
    QLabel* lblHomepage;
    QLabel* lbl1;
    QLabel* lblEmail1;
    QLabel* lblEmail2;
    QPushButton* OKButton;

public slots:
    void lblHomepageClick();
    void lblEmail1Click();
    void lblEmail2Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
