// TForm1: the viewer window. A tool bar (open, save, print, zoom in and out, the zoom field,
// first / previous / next / last page, the page label, the title and Exit) over the preview
// `prev`, which shows the report held by the shared report printer.
#pragma once

#include "viewer/anchors.h"
#include "viewer/dialogs.h"

#include <QWidget>

#include <exception>
#include <functional>
#include <string>
#include <vector>

class QAction;
class QFrame;
class QLabel;
class QPushButton;
class QToolButton;

namespace qrp {

class TFindBar;
class TQRPreview;
class TQRTextLayer;
class TQRThumbnails;
class TSpinEdit;
class TSvgPicture;

class TForm1 : public QWidget {
    Q_OBJECT
public:
    // The dialogs stay the caller's and must outlive the window.
    explicit TForm1(TViewerDialogs& dialogs, QWidget* parent = nullptr);
    ~TForm1() override;

    // Loads the report file s into the shared report printer and binds prev to it; the first
    // success enables the tool bar and sets the zoom to 90. Raises whatever the load raises.
    void prepara(const QString& s);

    // The window's creation and show handlers (FormShow refreshes the page label).
    void FormCreate(QObject* sender);
    void FormShow(QObject* sender);

    // The commands.
    void SpeedButton9Click(QObject* sender);  // open
    void SpeedButton8Click(QObject* sender);  // save (a failure is told in a message box)
    void SpeedButton6Click(QObject* sender);  // print (Open, Save and Print off while it runs)
    void SpeedButton5Click(QObject* sender);  // zoom in by 20
    void SpeedButton7Click(QObject* sender);  // zoom out by 20
    void SpinEdit1Change(QObject* sender);    // the zoom field's text changed
    void SpeedButton1Click(QObject* sender);  // first page
    void SpeedButton2Click(QObject* sender);  // previous page
    void SpeedButton3Click(QObject* sender);  // next page
    void SpeedButton4Click(QObject* sender);  // last page
    void BitBtn1Click(QObject* sender);       // exit

    // Opens a report as the Open command does after its dialog (also for dropped files);
    // ignored while a print job runs.
    void OpenReport(const QString& fileName);
    // The general error handler: shows the failure's own message.
    void HandleException(const std::exception_ptr& failure);
    // Runs a command; what it raises goes to the general error handler.
    void Guarded(const std::function<void()>& command);

    // The controls, named as the window's form data names them.
    QFrame* Bevel1;
    TSvgPicture* Image1;
    QToolButton* SpeedButton9;
    QToolButton* SpeedButton8;
    QToolButton* SpeedButton6;
    QToolButton* SpeedButton5;
    QToolButton* SpeedButton7;
    TSpinEdit* SpinEdit1;
    QToolButton* SpeedButton1;
    QToolButton* SpeedButton2;
    QToolButton* SpeedButton3;
    QToolButton* SpeedButton4;
    QLabel* Label1;
    QLabel* Label2;
    QPushButton* BitBtn1;
    TQRPreview* prev;
    // Page thumbnails at the left of the page view, hidden until asked for (F4).
    TQRThumbnails* Thumbnails = nullptr;
    QAction* ThumbnailsAction = nullptr;
    void SetThumbnailsVisible(bool visible);
    // The find bar under the tool bar (Ctrl+F) and the text layer over the page image.
    TFindBar* FindBar = nullptr;
    TQRTextLayer* TextLayer = nullptr;
    // The print dialog's fields, kept between uses.
    TPrintDialogState psd1;

    static constexpr QSize kDesignedClient{1045, 545};
    static constexpr unsigned kColor = 13600071;  // 0x00BBGGRR: red 71, green 133, blue 207

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void CreateControls();
    void ConnectCommands();
    void CreateShortcuts();
    void StepZoomByWheel(int angleDelta, QPoint viewportPos);

    // Paging and fitting from the keyboard and the wheel (form1_keys.cpp).
    void CreatePagingKeys();
    void PageForward();
    void PageBack();
    void FitZoom(bool wholePage);
    bool WheelPages(int angleDelta);
    bool KeepsPagingKey(QObject* watched, QEvent* event) const;
    // Hyperlinks of the shown page (form1_links.cpp).
    void ConnectHyperlinks();
    void FollowLink(const std::string& link);
    // The thumbnail pane and the page view's menu (form1_thumbnails.cpp).
    void CreateThumbnailPane();
    void ArrangeThumbnailPane();
    void ShowPreviewMenu(QPoint pos);
    // Find and copy (form1_find.cpp); the panes take their places from the page view's.
    void CreateFindBar();
    void ArrangeFindBar();
    void ArrangePanes();

    // Open, Save and Print stay disabled while it lives (a print job runs).
    class TPrintingScope {
    public:
        explicit TPrintingScope(TForm1& form);
        ~TPrintingScope();
        TPrintingScope(const TPrintingScope&) = delete;
        TPrintingScope& operator=(const TPrintingScope&) = delete;

    private:
        TForm1& FForm;
        std::vector<bool> FWasEnabled;
    };

    TViewerDialogs& FDialogs;
    bool FPrinting = false;
    TAnchorLayout FLayout{kDesignedClient};
    bool FFocusedOnce = false;
    int FWheelRemainder = 0;
    int FWheelPageRemainder = 0;
    // The report file shown, for Save's suggestion.
    QString FReportFile;
};

}  // namespace qrp
