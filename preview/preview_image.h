// TQRPreviewImage: the page image inside the preview. It holds the picture of the page it
// shows, fetched from the report printer once per page assignment, and replays it on every
// paint as a framed sheet with a shadow (PaintPage). The preview decides its size and place.
#pragma once

#include "printer/zoom_state.h"

#include <QSize>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace qrp {

class TMetafile;
class TQRPrinter;
class THyperlink;
using THyperlinkList = std::vector<THyperlink>;

enum TQRHyperlinkEventType : uint8_t { heCursorMoveOver, heCursorMoveAway, heGoto, heGotoNewWindow };
using TQRPreviewHyperlinkEvent =
    std::function<void(QObject* sender, TQRHyperlinkEventType eventType, const std::string& link, bool& handled)>;

class TQRPreviewImage : public QWidget {
    Q_OBJECT
public:
    explicit TQRPreviewImage(QWidget* parent = nullptr);
    ~TQRPreviewImage() override;

    int PageNumber() const { return FPageNumber; }
    // Frees the held picture, fetches page value from the report printer and paints at
    // once. No bounds are tested here. A failed fetch leaves the image empty, already set to
    // value, and the failure propagates.
    void SetPageNumber(int value);

    TQRPrinter* QRPrinter() const { return FQRPrinter; }
    void SetQRPrinter(TQRPrinter* value) { FQRPrinter = value; }
    const TMetafile* Metafile() const { return FMetafile.get(); }
    bool ImageOK() const { return FMetafile != nullptr; }
    // The shown page's hyperlink areas (pages written with them, uncompressed); none
    // otherwise. Areas are in the page picture's pixels, stretched with the picture.
    bool HyperlinksOK() const { return FHyperlinks != nullptr; }
    const THyperlinkList* Hyperlinks() const { return FHyperlinks.get(); }
    // The index of the hyperlink area under a point of the image, or -1.
    int HyperlinkAt(QPoint pos) const;
    bool IsLink() const { return FIsLink; }
    const std::string& LastLink() const { return FLastLink; }
    // At most this many areas of a page are kept; no real page has more.
    static constexpr size_t kMaxHyperlinks = 4096;
    int Zoom() const { return FZoom; }
    void SetZoom(int value) { FZoom = value; }
    // Whether a point of the image lies on the page's text: an I-beam there, unless a link
    // is under it.
    using TTextAt = std::function<bool(QPoint pos)>;
    void SetTextAt(TTextAt value) { FTextAt = std::move(value); }
    const TQRPreviewHyperlinkEvent& OnHyperlink() const { return FOnHyperlink; }
    void SetOnHyperlink(TQRPreviewHyperlinkEvent value) { FOnHyperlink = std::move(value); }

    // The paper of the page shown, as it lies, in 0.1 mm: the frame of the held picture (a
    // frame beyond kMaxPaperTenths is scaled down to it, its shape kept); without a picture
    // or with a frame of no area, the report printer's paper; 0 without either.
    int32_t PaperWidthValue() const { return PagePaper().width(); }
    int32_t PaperLengthValue() const { return PagePaper().height(); }
    QSize PagePaper() const;
    static constexpr int32_t kMaxPaperTenths = 20000;  // 2 m, beyond any real sheet

    // Paints the held picture into the image's rectangle; a design-state image would show
    // empty paper too, the running viewer never is in design state.
    void DrawPage(QPainter& painter);

    // How many pictures this image fetched (benchmarks and tests count them).
    int FetchCount() const { return FFetchCount; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void ReadHyperlinks();
    // The link under the mouse (index, or -1) and the mouse's point, if on the image: the
    // link's events and tooltip, and the cursor (pointing hand on a link, I-beam on text,
    // arrow elsewhere).
    void Hover(int index, const QPoint* pos = nullptr);
    bool Fire(TQRHyperlinkEventType type, const std::string& link);

    TQRPrinter* FQRPrinter = nullptr;
    int FPageNumber = 1;
    std::unique_ptr<TMetafile> FMetafile;
    std::unique_ptr<THyperlinkList> FHyperlinks;
    int FPressedLink = -1;
    TQRPreviewHyperlinkEvent FOnHyperlink;
    TTextAt FTextAt;
    int FZoom = 100;
    bool FIsLink = false;
    std::string FLastLink;
    int FFetchCount = 0;
};

}  // namespace qrp
