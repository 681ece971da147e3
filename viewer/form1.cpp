#include "viewer/form1.h"

#include "preview/preview.h"
#include "viewer/find_bar.h"
#include "viewer/spin_edit.h"
#include "viewer/svg_picture.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFrame>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QShortcut>
#include <QToolButton>
#include <QWheelEvent>

static void InitViewerResources()
{
    Q_INIT_RESOURCE(viewer);
}

namespace qrp {

namespace {

const QString kWindowFace = QStringLiteral("MS Sans Serif");
const QString kTitleFace = QStringLiteral("Bodoni MT Poster Compressed");

void RegisterFaceSubstitutes()
{
    static const bool done = [] {
        // The faces the window was designed with, or the nearest ones here.
        QFont::insertSubstitutions(kWindowFace, {QStringLiteral("Microsoft Sans Serif"), QStringLiteral("Liberation Sans"),
                                                 QStringLiteral("Arial"), QStringLiteral("DejaVu Sans")});
        return true;
    }();
    (void)done;
}

QFont WindowFont(int pixelHeight, bool bold)
{
    QFont font(kWindowFace);
    font.setPixelSize(pixelHeight);
    font.setBold(bold);
    return font;
}

// A heavy, condensed display serif; where the designed face is missing, a condensed bold serif.
QFont TitleFont()
{
    if (QFontDatabase::hasFamily(kTitleFace)) {
        QFont font(kTitleFace);
        font.setPixelSize(32);
        return font;
    }
    QFont font(QStringLiteral("DejaVu Serif"));
    font.setPixelSize(30);
    font.setStretch(QFont::ExtraCondensed);
    font.setWeight(QFont::Black);
    return font;
}

QToolButton* MakeSpeedButton(QWidget* parent, const QString& glyph, QSize glyphSize, const QString& hint, bool flat,
                             bool bold)
{
    auto* button = new QToolButton(parent);
    button->setIcon(QIcon(QStringLiteral(":/viewer/glyphs/") + glyph + QStringLiteral(".svg")));
    button->setIconSize(glyphSize);
    button->setToolTip(hint);
    button->setFocusPolicy(Qt::NoFocus);
    button->setAutoRaise(flat);
    button->setFont(WindowFont(11, bold));
    return button;
}

}  // namespace

TForm1::TForm1(TViewerDialogs& dialogs, QWidget* parent) : QWidget(parent), FDialogs(dialogs)
{
    InitViewerResources();
    RegisterFaceSubstitutes();
    setWindowTitle(texts::kCaption);
    setWindowIcon(QIcon(QStringLiteral(":/viewer/glyphs/logo.svg")));
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(static_cast<int>(kColor & 0xFF), static_cast<int>((kColor >> 8) & 0xFF),
                                          static_cast<int>((kColor >> 16) & 0xFF)));
    setPalette(pal);
    setAutoFillBackground(true);
    setFont(WindowFont(11, false));
    resize(kDesignedClient);
    setAcceptDrops(true);
    CreateControls();
    ConnectCommands();
    CreateShortcuts();
    ConnectHyperlinks();
    CreateThumbnailPane();
    CreateFindBar();
    FormCreate(this);
}

TForm1::~TForm1() = default;

void TForm1::CreateControls()
{
    Bevel1 = new QFrame(this);
    Bevel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Bevel1->setLineWidth(1);
    FLayout.Place(Bevel1, QRect(1, 1, 1045, 53), akLeft | akTop | akRight);

    Image1 = new TSvgPicture(QStringLiteral(":/viewer/glyphs/logo.svg"), this);
    FLayout.Place(Image1, QRect(3, 3, 117, 50));

    SpeedButton9 = MakeSpeedButton(this, QStringLiteral("open"), {33, 36}, QStringLiteral("Abrir Relatório"), false, true);
    FLayout.Place(SpeedButton9, QRect(123, 5, 46, 42));
    SpeedButton8 = MakeSpeedButton(this, QStringLiteral("save"), {34, 34}, QStringLiteral("Salvar Relatório"), false, true);
    FLayout.Place(SpeedButton8, QRect(169, 5, 46, 42));
    SpeedButton6 = MakeSpeedButton(this, QStringLiteral("print"), {40, 37}, QStringLiteral("Imprimir Relatório"), false, true);
    FLayout.Place(SpeedButton6, QRect(215, 5, 46, 42));
    SpeedButton5 =
        MakeSpeedButton(this, QStringLiteral("zoomin"), {29, 32}, QStringLiteral("Aumenta 20 pontos de zoom"), false, false);
    FLayout.Place(SpeedButton5, QRect(261, 5, 44, 42));
    SpeedButton7 =
        MakeSpeedButton(this, QStringLiteral("zoomout"), {29, 32}, QStringLiteral("Diminui 20 pontos de zoom"), false, false);
    FLayout.Place(SpeedButton7, QRect(305, 5, 44, 42));

    SpinEdit1 = new TSpinEdit(this);
    SpinEdit1->SetMinValue(30);
    SpinEdit1->SetMaxValue(190);
    SpinEdit1->SetIncrement(1);
    SpinEdit1->SetMaxLength(3);
    SpinEdit1->SetValue(90);
    SpinEdit1->setFont(WindowFont(13, true));
    SpinEdit1->setToolTip(QStringLiteral("Porcentagem de Zoom"));
    FLayout.Place(SpinEdit1, QRect(352, 5, 51, 26));

    SpeedButton1 =
        MakeSpeedButton(this, QStringLiteral("first"), {28, 27}, QStringLiteral("Vai para Primeira página"), true, false);
    FLayout.Place(SpeedButton1, QRect(408, 5, 28, 27));
    SpeedButton2 =
        MakeSpeedButton(this, QStringLiteral("prev"), {28, 27}, QStringLiteral("Vai para página anterior"), true, false);
    FLayout.Place(SpeedButton2, QRect(437, 5, 28, 27));
    SpeedButton3 =
        MakeSpeedButton(this, QStringLiteral("next"), {28, 27}, QStringLiteral("Vai para próxima página"), true, false);
    FLayout.Place(SpeedButton3, QRect(466, 5, 28, 27));
    SpeedButton4 =
        MakeSpeedButton(this, QStringLiteral("last"), {28, 27}, QStringLiteral("Vai para última página"), true, false);
    FLayout.Place(SpeedButton4, QRect(494, 5, 28, 27));
    for (QToolButton* nav : {SpeedButton1, SpeedButton2, SpeedButton3, SpeedButton4}) nav->setStyleSheet(QStringLiteral("QToolButton { padding: 0px; border: none; }"));

    Label1 = new QLabel(QStringLiteral("Página(s) "), this);
    Label1->setFont(WindowFont(12, true));
    FLayout.Place(Label1, QRect(410, 33, 58, 13));

    Label2 = new QLabel(QStringLiteral("Visualizador de Relatórios QRP"), this);
    Label2->setFont(TitleFont());
    FLayout.Place(Label2, QRect(558, 7, 440, 36), akTop | akRight);

    BitBtn1 = new QPushButton(this);
    BitBtn1->setIcon(QIcon(QStringLiteral(":/viewer/glyphs/exit.svg")));
    BitBtn1->setIconSize({32, 32});
    BitBtn1->setFont(WindowFont(11, true));
    BitBtn1->setFocusPolicy(Qt::StrongFocus);
    // Its hint is set but hints are off for it: kept as a property, never shown.
    BitBtn1->setProperty("Hint", QStringLiteral("Sair do Visualizador"));
    FLayout.Place(BitBtn1, QRect(1001, 5, 38, 38), akTop | akRight);

    prev = new TQRPreview(this);
    prev->setFrameShape(QFrame::NoFrame);
    prev->SetZoom(90);
    prev->SetPageNumber(1);
    FLayout.Place(prev, QRect(0, 54, 1045, 493), akLeft | akTop | akRight | akBottom);
    prev->viewport()->installEventFilter(this);
    prev->installEventFilter(this);

    for (QWidget* w : {static_cast<QWidget*>(SpeedButton8), static_cast<QWidget*>(SpeedButton6),
                       static_cast<QWidget*>(SpeedButton5), static_cast<QWidget*>(SpeedButton7),
                       static_cast<QWidget*>(SpinEdit1), static_cast<QWidget*>(SpeedButton1),
                       static_cast<QWidget*>(SpeedButton2), static_cast<QWidget*>(SpeedButton3),
                       static_cast<QWidget*>(SpeedButton4)})
        w->setEnabled(false);

    setTabOrder(prev, BitBtn1);
    setTabOrder(BitBtn1, SpinEdit1);
}

void TForm1::ConnectCommands()
{
    auto bind = [this](QToolButton* button, void (TForm1::*handler)(QObject*)) {
        connect(button, &QToolButton::clicked, this, [this, button, handler] { Guarded([&] { (this->*handler)(button); }); });
    };
    bind(SpeedButton9, &TForm1::SpeedButton9Click);
    bind(SpeedButton8, &TForm1::SpeedButton8Click);
    bind(SpeedButton6, &TForm1::SpeedButton6Click);
    bind(SpeedButton5, &TForm1::SpeedButton5Click);
    bind(SpeedButton7, &TForm1::SpeedButton7Click);
    bind(SpeedButton1, &TForm1::SpeedButton1Click);
    bind(SpeedButton2, &TForm1::SpeedButton2Click);
    bind(SpeedButton3, &TForm1::SpeedButton3Click);
    bind(SpeedButton4, &TForm1::SpeedButton4Click);
    connect(BitBtn1, &QPushButton::clicked, this, [this] { Guarded([&] { BitBtn1Click(BitBtn1); }); });
    SpinEdit1->SetOnChange([this] { Guarded([&] { SpinEdit1Change(SpinEdit1); }); });
}

void TForm1::CreateShortcuts()
{
    auto shortcut = [](const QKeySequence& keys, QAbstractButton* button, QWidget* scope, Qt::ShortcutContext context) {
        auto* s = new QShortcut(keys, scope);
        s->setContext(context);
        // A disabled button ignores click(), as the command would.
        QObject::connect(s, &QShortcut::activated, button, [button] { button->click(); });
    };
    shortcut(QKeySequence::Open, SpeedButton9, this, Qt::WindowShortcut);
    shortcut(QKeySequence::Save, SpeedButton8, this, Qt::WindowShortcut);
    shortcut(QKeySequence::Print, SpeedButton6, this, Qt::WindowShortcut);
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_Plus), SpeedButton5, this, Qt::WindowShortcut);
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_Equal), SpeedButton5, this, Qt::WindowShortcut);
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_Minus), SpeedButton7, this, Qt::WindowShortcut);
    CreatePagingKeys();
}

void TForm1::FormCreate(QObject*)
{
    // Hints are off for the logo; it carries none.
    Image1->setProperty("Hint", QString());
}

void TForm1::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    FormShow(this);
    if (!FFocusedOnce) {
        // The first control of the tab order takes the focus when the window first shows.
        FFocusedOnce = true;
        prev->setFocus(Qt::TabFocusReason);
    }
}

void TForm1::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    ArrangePanes();
}

bool TForm1::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == prev->viewport() && event->type() == QEvent::Wheel) {
        auto* wheel = static_cast<QWheelEvent*>(event);
        if (wheel->modifiers() & Qt::ControlModifier) {
            StepZoomByWheel(wheel->angleDelta().y(), wheel->position().toPoint());
            return true;
        }
        if (WheelPages(wheel->angleDelta().y())) return true;
    }
    if (watched == static_cast<QObject*>(FindBar) && (event->type() == QEvent::Show || event->type() == QEvent::Hide))
        ArrangePanes();
    if (KeepsPagingKey(watched, event)) return true;
    return QWidget::eventFilter(watched, event);
}

void TForm1::StepZoomByWheel(int angleDelta, QPoint viewportPos)
{
    // The page point under the mouse stays there; the buttons and the field return the view
    // to the origin.
    const QPointF anchor = prev->PageFractionAt(viewportPos);
    const int zoom = prev->Zoom();
    // One notch (120) is one zoom step of 20; smooth wheels add up to notches.
    FWheelRemainder += angleDelta;
    while (FWheelRemainder >= 120) {
        FWheelRemainder -= 120;
        SpeedButton5->click();
    }
    while (FWheelRemainder <= -120) {
        FWheelRemainder += 120;
        SpeedButton7->click();
    }
    if (prev->Zoom() != zoom) prev->ScrollPageFractionTo(anchor, viewportPos);
}

namespace {
// The one local file a drag carries, or an empty string.
QString DroppedFile(const QMimeData* mime)
{
    if (!mime || !mime->hasUrls() || mime->urls().size() != 1) return {};
    const QUrl url = mime->urls().front();
    if (!url.isLocalFile()) return {};
    const QString path = url.toLocalFile();
    return QFileInfo(path).isFile() ? path : QString();
}
}  // namespace

void TForm1::dragEnterEvent(QDragEnterEvent* event)
{
    if (!DroppedFile(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void TForm1::dropEvent(QDropEvent* event)
{
    const QString path = DroppedFile(event->mimeData());
    if (path.isEmpty()) return;
    event->acceptProposedAction();
    OpenReport(path);
}

}  // namespace qrp
