#pragma once

#include "export/PreviewBox.h"

#include <QMainWindow>
#include <QTimer>

class QActionGroup;
class QLabel;
class QMenu;
class QSplitter;
class QToolButton;

// The preview window: shows the pages the print component recorded, pages through them,
// zooms, prints them, writes them to PDF and opens the setup. One serves the process.
class TPreviewFormEh : public QMainWindow {
    Q_OBJECT
public:
    explicit TPreviewFormEh(QWidget* parent = nullptr);
    ~TPreviewFormEh() override;

    enum class TToolbarLook { CaptionsOnly, ImagesOnly, ImagesWithCaptions };

    TPrinterPreview& PrinterPreview() { return m_printer; }
    TPreviewBox* PreviewBox() const { return m_box; }
    QMenu* ScaleMenu() const { return pmnScale; }
    TToolbarLook ToolbarLook() const { return m_look; }
    // What dragging the splitter under the toolbar does.
    void SetToolbarHeight(int height);
    int ToolbarHeight() const;

    // The preview is used from the (modal) window of the grid it prints.
    void AttachTo(QWidget* owner);
    void UpdateState();

    QToolButton* tbtPrint;
    QToolButton* tbtPDF;
    QToolButton* tbtPrinterSetupDialog;
    QToolButton* tbtScale;
    QToolButton* tbtPrevPage;
    QToolButton* tbtNextPage;
    QToolButton* tbStop;
    QToolButton* tbClose;
    QMenu* pmnScale;

public slots:
    void tbtPrintClick();
    void tbtPDFClick();
    void tbtPrinterSetupDialogClick();
    void tbtScaleClick();
    void tbtPrevPageClick();
    void tbtNextPageClick();
    void tbStopClick();
    void tbCloseClick();

protected:
    void closeEvent(QCloseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    void buildToolbar();
    void applyLook(TToolbarLook look);
    void openPreviewer();
    void stepPressed(int step);
    void stepReleased();
    void stepClicked(int step);
    void repeatStep();

    TPrinterPreview m_printer;
    TPreviewBox* m_box;
    QWidget* m_toolbar;
    QSplitter* m_splitter;
    QLabel* m_status;
    QActionGroup* m_scaleGroup;
    TToolbarLook m_look = TToolbarLook::CaptionsOnly;
    bool m_closeWhenDone = false;
    // Holding Previous or Next repeats the step.
    QTimer m_repeat;
    int m_repeatStep = 0;
    bool m_repeating = false;
};

// The process's preview window, created hidden on first use and kept until the end.
TPreviewFormEh& PreviewFormEh();
bool PreviewFormExists();
