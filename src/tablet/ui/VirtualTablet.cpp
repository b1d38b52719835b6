#include "tablet/ui/VirtualTablet.h"

#include "common/Utils.h"
#include "tablet/ImageResolution.h"
#include "trace/ScanImage.h"
#include "tablet/ui/TabletLoupe.h"
#include "tablet/ui/TabletSurface.h"

#include <QAction>
#include <QApplication>
#include <QBuffer>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QImageReader>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>

#include <algorithm>
#include <cmath>

namespace rs {

namespace {

const char* const kCaption = "Mesa Virtual";

QString Inches(int counts)
{
    return QString::number(counts / double(TTabletSurface::kCountsPerInch), 'f', 2);
}

bool IsTextInput(const QObject* o)
{
    const auto* w = qobject_cast<const QWidget*>(o);
    return w && w->testAttribute(Qt::WA_InputMethodEnabled);
}

} // namespace

TVirtualTablet::TVirtualTablet(QWidget* parent, bool registerDriver)
    : QWidget(parent, Qt::Window),
      FDriver(kCaption, TTabletSurface::kBlankWidth, TTabletSurface::kBlankHeight)
{
    setWindowTitle(QString::fromUtf8(kCaption));
    setObjectName(QStringLiteral("VirtualTablet"));

    FSurface = new TTabletSurface(FDriver, this);
    FSurface->setObjectName(QStringLiteral("Surface"));
    FLoupe = new TTabletLoupe(FSurface, this);
    FLoupe->setFixedSize(180, 180);

    auto* open = new QPushButton(QString::fromUtf8("Abrir &Imagem..."), this);
    open->setObjectName(QStringLiteral("btOpenImage"));
    open->setToolTip(QString::fromUtf8("Abre um pluviograma digitalizado (PNG, JPEG, TIFF ou BMP)"));
    FClearButton = new QPushButton(QString::fromUtf8("&Sem Imagem"), this);
    FClearButton->setObjectName(QStringLiteral("btClearImage"));
    FClearButton->setToolTip(QString::fromUtf8("Volta à mesa em branco de 24 × 18 polegadas"));
    FClearButton->setEnabled(false);
    auto* fit = new QPushButton(QString::fromUtf8("&Ajustar"), this);
    fit->setObjectName(QStringLiteral("btFit"));
    fit->setToolTip(QString::fromUtf8("Mostra a área inteira da mesa"));
    for (QPushButton* b : {open, FClearButton, fit})
        b->setFocusPolicy(Qt::TabFocus);
    FPageLabel = new QLabel(QString::fromUtf8("&Página:"), this);
    FPage = new QSpinBox(this);
    FPage->setObjectName(QStringLiteral("sbPage"));
    FPage->setToolTip(QString::fromUtf8("Página da imagem mostrada (o verso do pluviograma costuma trazer as datas)"));
    FPageLabel->setBuddy(FPage);
    FPageLabel->setVisible(false);
    FPage->setVisible(false);
    FInk = new QCheckBox(QString::fromUtf8("Realçar &tinta"), this);
    FInk->setObjectName(QStringLiteral("cbInk"));
    FInk->setToolTip(QString::fromUtf8("Destaca a tinta da pena e apaga a grade impressa, para seguir um traço fraco"));
    FContrast = new QSlider(Qt::Horizontal, this);
    FContrast->setObjectName(QStringLiteral("slContrast"));
    FContrast->setRange(-4, 6); // steps of 2^(1/2): contrast 1/4 to 8
    FContrast->setValue(2); // contrast 2: the dark edges and punch holes of a scan set the full strength
    FContrast->setFixedWidth(110);
    FContrast->setEnabled(false);
    FContrast->setToolTip(QString::fromUtf8("Contraste do realce da tinta"));
    for (QWidget* c : std::initializer_list<QWidget*>{FPage, FInk, FContrast})
        c->setFocusPolicy(Qt::TabFocus);
    FLoupeZoom = new QComboBox(this);
    FLoupeZoom->setObjectName(QStringLiteral("cbLoupe"));
    FLoupeZoom->setToolTip(QString::fromUtf8("Aumento da lupa"));
    FLoupeZoom->setFocusPolicy(Qt::TabFocus);
    for (int m = 2; m <= 32; m *= 2)
        FLoupeZoom->addItem(QString::fromUtf8("Lupa %1×").arg(m), m);

    FPosLabel = new QLabel(this);
    FPosLabel->setObjectName(QStringLiteral("lbPos"));
    FPosLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    FModeLabel = new QLabel(this);
    FModeLabel->setObjectName(QStringLiteral("lbMode"));
    FModeLabel->setWordWrap(true);
    FAreaLabel = new QLabel(this);
    FAreaLabel->setObjectName(QStringLiteral("lbArea"));
    FAreaLabel->setWordWrap(true);
    auto* help =
        new QLabel(QString::fromUtf8("Modo absoluto: o mouse é o cursor da mesa.\n"
                                     "Botões: esquerdo = 1, direito = 2, meio = 3, voltar = 4, avançar = 5; "
                                     "teclas 1 a 9 = botões 1 a 9.\n"
                                     "Roda: aumenta ou reduz; setas ou barra de espaço "
                                     "pressionada com o mouse: movem a imagem. "
                                     "Modo relativo: arraste para mover a imagem."),
                   this);
    help->setWordWrap(true);
    QFont small = help->font();
    small.setPointSizeF(small.pointSizeF() * 0.9);
    help->setFont(small);
    FStatus = new QLabel(this);
    FStatus->setObjectName(QStringLiteral("lbStatus"));
    FStatus->setWordWrap(true);
    FStatus->setStyleSheet(QStringLiteral("color: #a00000"));

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(open);
    buttons->addWidget(FClearButton);
    buttons->addWidget(fit);
    buttons->addWidget(FPageLabel);
    buttons->addWidget(FPage);
    buttons->addSpacing(12);
    buttons->addWidget(FInk);
    buttons->addWidget(new QLabel(QString::fromUtf8("Contraste:"), this));
    buttons->addWidget(FContrast);
    buttons->addStretch(1);

    auto* side = new QVBoxLayout;
    side->addWidget(FLoupe);
    side->addWidget(FLoupeZoom);
    side->addWidget(FPosLabel);
    side->addWidget(FModeLabel);
    side->addWidget(FAreaLabel);
    side->addWidget(help);
    side->addStretch(1);
    side->addWidget(FStatus);
    auto* sideBox = new QWidget(this);
    sideBox->setLayout(side);
    sideBox->setFixedWidth(196);

    auto* middle = new QHBoxLayout;
    middle->addWidget(FSurface, 1);
    middle->addWidget(sideBox);

    auto* main = new QVBoxLayout(this);
    main->addLayout(buttons);
    main->addLayout(middle, 1);
    resize(900, 600);

    FToggle = new QAction(QString::fromUtf8("Mesa &Virtual"), this);
    FToggle->setCheckable(true);
    FToggle->setToolTip(QString::fromUtf8("Mostra ou esconde a mesa digitalizadora simulada na tela"));
    connect(FToggle, &QAction::toggled, this, &TVirtualTablet::SetOpen);

    connect(open, &QPushButton::clicked, this, &TVirtualTablet::ChooseImage);
    connect(FClearButton, &QPushButton::clicked, this, &TVirtualTablet::ClearImage);
    connect(fit, &QPushButton::clicked, FSurface, &TTabletSurface::FitToWindow);
    connect(FSurface, &TTabletSurface::pointerChanged, this, &TVirtualTablet::UpdatePointer);
    connect(FPage, &QSpinBox::valueChanged, this, [this](int page) {
        if (!FImagePath.isEmpty() && page - 1 != FImagePage && !LoadImage(FImagePath, page - 1)) {
            const QSignalBlocker block(FPage);
            FPage->setValue(FImagePage + 1);
        }
    });
    connect(FInk, &QCheckBox::toggled, this, &TVirtualTablet::InkControlsChanged);
    connect(FContrast, &QSlider::valueChanged, this, &TVirtualTablet::InkControlsChanged);
    connect(FLoupeZoom, &QComboBox::activated, this,
            [this](int i) { FLoupe->SetMagnification(FLoupeZoom->itemData(i).toInt()); });
    connect(FLoupe, &TTabletLoupe::magnificationChanged, this, &TVirtualTablet::SyncLoupeZoom);
    SyncLoupeZoom();
    connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState s) {
        if (s != Qt::ApplicationActive) FSurface->ReleaseKeys();
    });

    FDriver.OnContextsChange = [this] { ContextsChanged(); };
    FDriver.OnAreaChange = [this] { AreaChanged(); };
    qApp->installEventFilter(this);
    if (registerDriver) SetTabletDriver(&FDriver);
    UpdateInfo();
    UpdatePointer();
}

TVirtualTablet::~TVirtualTablet()
{
    qApp->removeEventFilter(this);
    FDriver.OnContextsChange = nullptr;
    FDriver.OnAreaChange = nullptr;
}

// ---- Open state

bool TVirtualTablet::IsOpen() const
{
    return isVisible();
}

void TVirtualTablet::SetOpen(bool open)
{
    if (open) {
        show();
        raise();
    } else {
        hide();
    }
}

void TVirtualTablet::showEvent(QShowEvent* e)
{
    QWidget::showEvent(e);
    if (!FToggle->isChecked()) FToggle->setChecked(true);
    emit openChanged(true);
}

void TVirtualTablet::hideEvent(QHideEvent* e)
{
    QWidget::hideEvent(e);
    FSurface->ReleaseKeys();
    if (FToggle->isChecked()) FToggle->setChecked(false);
    emit openChanged(false);
}

// ---- Picture

QString TVirtualTablet::ImageFilter()
{
    const QList<QByteArray> known = QImageReader::supportedImageFormats();
    QStringList patterns;
    const struct
    {
        const char* format;
        const char* patterns;
    } wanted[] = {{"png", "*.png"}, {"jpeg", "*.jpg *.jpeg"}, {"tiff", "*.tif *.tiff"}, {"bmp", "*.bmp"}};
    for (const auto& w : wanted)
        if (known.contains(QByteArray(w.format))) patterns << QString::fromLatin1(w.patterns);
    return QString::fromUtf8("Imagens (%1);;Todos os arquivos (*)").arg(patterns.join(QLatin1Char(' ')));
}

void TVirtualTablet::ChooseImage()
{
    QString path;
    if (OnChooseImage)
        path = OnChooseImage(this, ImageFilter());
    else
        path = QFileDialog::getOpenFileName(this, QString::fromUtf8("Abrir Imagem"),
                                            QFileInfo(FImagePath).path(), ImageFilter());
    if (!path.isEmpty()) LoadImage(path);
}

bool TVirtualTablet::LoadImage(const QString& path, int page)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        ShowMessage(
            QString::fromUtf8("Não foi possível abrir a imagem \"%1\".").arg(QDir::toNativeSeparators(path)));
        return false;
    }
    const QByteArray bytes = file.readAll();
    file.close();
    const std::string_view view(bytes.constData(), std::size_t(bytes.size()));
    // The header first: a picture far too large is refused before any pixel is decoded.
    trace::TImageHeader header;
    std::string reason;
    bool readable = trace::ReadImageHeader(view, page, header, reason);
    if (readable && (header.Width <= 0 || header.Height <= 0)) {
        reason = "a imagem est\xE1 vazia";
        readable = false;
    } else if (readable && (header.Width > trace::kMaxSide || header.Height > trace::kMaxSide ||
                            std::int64_t(header.Width) * header.Height > trace::kMaxPixels)) {
        reason = Format("a imagem \xE9 grande demais (%d \xD7 %d pixels)", header.Width, header.Height);
        readable = false;
    }
    if (!readable) {
        ShowMessage(QString::fromUtf8("A imagem \"%1\" não pôde ser lida: %2.")
                        .arg(QDir::toNativeSeparators(path), QString::fromStdString(Cp1252ToUtf8(reason))));
        return false;
    }
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAllocationLimit(1024); // MB: scanned charts are large
    if (page > 0 && !reader.jumpToImage(page)) {
        ShowMessage(QString::fromUtf8("A imagem \"%1\" não tem a página %2.")
                        .arg(QDir::toNativeSeparators(path))
                        .arg(page + 1));
        return false;
    }
    const QImage image = reader.read();
    if (image.isNull()) {
        ShowMessage(QString::fromUtf8("A imagem \"%1\" não pôde ser lida: %2")
                        .arg(QDir::toNativeSeparators(path), reader.errorString()));
        return false;
    }
    TImageResolution res;
    if (!ReadImageResolution(view, res))
        res = {TTabletSurface::kDefaultDpi, TTabletSurface::kDefaultDpi};
    FImagePath = path;
    FImagePage = page;
    FPageCount = std::max(1, header.Pages);
    {
        const QSignalBlocker block(FPage);
        FPage->setRange(1, FPageCount);
        FPage->setValue(page + 1);
    }
    FPage->setVisible(FPageCount > 1);
    FPageLabel->setVisible(FPageCount > 1);
    FStatus->clear();
    FClearButton->setEnabled(true);
    const QString name = QFileInfo(path).fileName();
    setWindowTitle(QString::fromUtf8("%1 - %2").arg(QString::fromUtf8(kCaption),
                                                    FPageCount > 1 ? QString::fromUtf8("%1 (página %2 de %3)")
                                                                         .arg(name)
                                                                         .arg(page + 1)
                                                                         .arg(FPageCount)
                                                                   : name));
    FSurface->SetImage(image, res.DpiX, res.DpiY);
    UpdateInfo();
    emit imageChanged(FImagePath, FImagePage);
    return true;
}

void TVirtualTablet::SetInkView(bool on, double contrast)
{
    const QSignalBlocker b1(FInk), b2(FContrast);
    FInk->setChecked(on);
    FContrast->setValue(int(std::lround(2 * std::log2(std::clamp(contrast, 0.25, 8.0)))));
    InkControlsChanged();
}

void TVirtualTablet::InkControlsChanged()
{
    FContrast->setEnabled(FInk->isChecked());
    FSurface->SetInkView(FInk->isChecked(), std::pow(2.0, FContrast->value() / 2.0));
}

void TVirtualTablet::SyncLoupeZoom()
{
    // The loupe's own wheel changes its magnification too.
    const int i = FLoupeZoom->findData(FLoupe->Magnification());
    if (i >= 0 && i != FLoupeZoom->currentIndex())
        FLoupeZoom->setCurrentIndex(i);
}

void TVirtualTablet::ClearImage()
{
    FImagePath.clear();
    FImagePage = 0;
    FPageCount = 0;
    FPage->setVisible(false);
    FPageLabel->setVisible(false);
    FClearButton->setEnabled(false);
    setWindowTitle(QString::fromUtf8(kCaption));
    FSurface->SetImage(QImage(), 0, 0);
    UpdateInfo();
    emit imageChanged(QString(), 0);
}

TRect TVirtualTablet::ContextRect() const
{
    return {0, FDriver.AreaHeight(), FDriver.AreaWidth(), 0};
}

void TVirtualTablet::AreaChanged()
{
    UpdateInfo();
    emit areaChanged(FDriver.AreaWidth(), FDriver.AreaHeight());
}

// ---- Read-outs

void TVirtualTablet::ContextsChanged()
{
    FSurface->RefreshMode();
    UpdateInfo();
}

QString TVirtualTablet::TargetWindowName() const
{
    const TWindowId id = FDriver.ContextWindow(FDriver.TargetContext());
    for (QWidget* w : QApplication::allWidgets()) {
        if (reinterpret_cast<TWindowId>(w) != id) continue;
        for (QWidget* k = w; k; k = k->parentWidget())
            if (!k->windowTitle().isEmpty()) return k->windowTitle();
        return {};
    }
    return {};
}

void TVirtualTablet::UpdateInfo()
{
    const TTabletContext target = FDriver.TargetContext();
    if (target == 0) {
        FModeLabel->setText(QString::fromUtf8("Nenhuma janela recebe a mesa."));
    } else {
        const QString name = TargetWindowName();
        const QString mode = FDriver.IsRelative(target) ? QString::fromUtf8("Modo relativo (mouse)")
                                                        : QString::fromUtf8("Modo absoluto (digitalização)");
        FModeLabel->setText(name.isEmpty() ? mode : QString::fromUtf8("%1\nRecebe: %2").arg(mode, name));
    }
    QString area = QString::fromUtf8("Área: %1 × %2 pol (%3 × %4)")
                       .arg(Inches(FDriver.AreaWidth()), Inches(FDriver.AreaHeight()))
                       .arg(FDriver.AreaWidth())
                       .arg(FDriver.AreaHeight());
    if (FSurface->HasImage())
        area += QString::fromUtf8("\nImagem: %1 × %2 pixels, %3 dpi")
                    .arg(FSurface->Image().width())
                    .arg(FSurface->Image().height())
                    .arg(QString::number(FSurface->DpiX(), 'f', 0));
    FAreaLabel->setText(area);
}

void TVirtualTablet::UpdatePointer()
{
    const auto at = FSurface->PointerCounts();
    if (!at) {
        FPosLabel->setText(QString::fromUtf8("X = —\nY = —"));
        return;
    }
    FPosLabel->setText(QString::fromUtf8("X = %1  (%2 mm)\nY = %3  (%4 mm)")
                           .arg(at->x())
                           .arg(QString::number(at->x() * 25.4 / TTabletSurface::kCountsPerInch, 'f', 2))
                           .arg(at->y())
                           .arg(QString::number(at->y() * 25.4 / TTabletSurface::kCountsPerInch, 'f', 2)));
}

void TVirtualTablet::ShowMessage(const QString& text)
{
    if (OnMessage)
        OnMessage(text);
    else
        FStatus->setText(text);
}

// ---- Keys from other windows and modal dialogs

bool TVirtualTablet::eventFilter(QObject* watched, QEvent* e)
{
    const QEvent::Type t = e->type();
    if ((t == QEvent::KeyPress || t == QEvent::KeyRelease) && watched != FSurface &&
        watched->isWidgetType() && FSurface->isVisible()) {
        // With the pointer over the tablet, the keys 1 to 9 are its buttons,
        // whichever window has the focus, unless that focus is a text field.
        auto* k = static_cast<QKeyEvent*>(e);
        if (t == QEvent::KeyPress && IsTextInput(watched)) return QWidget::eventFilter(watched, e);
        if (FSurface->HandleKey(k->key(), t == QEvent::KeyPress, k->isAutoRepeat())) return true;
    }
    return QWidget::eventFilter(watched, e);
}

bool TVirtualTablet::event(QEvent* e)
{
    switch (e->type()) {
    case QEvent::WindowBlocked:
        FBlocked = true;
        // A real tablet keeps working under a modal dialog (the tablet test
        // and the preferences are modal): become part of that dialog's family.
        QTimer::singleShot(0, this, &TVirtualTablet::Unblock);
        break;
    case QEvent::WindowUnblocked:
        FBlocked = false;
        break;
    default:
        break;
    }
    return QWidget::event(e);
}

void TVirtualTablet::Unblock()
{
    QWindow* modal = QGuiApplication::modalWindow();
    QWindow* own = windowHandle();
    if (!FBlocked || !modal || !own || modal == own) return;
    // A dialog of the tablet's own (a message box raised while the tablet was
    // the active window) is already above it: taking that dialog as parent
    // would make each window the other's parent, and every walk up the family
    // (the modality check of each event among them) would spin for ever.
    int depth = 0;
    for (QWindow* w = modal->transientParent(); w && depth < 64; w = w->transientParent(), ++depth)
        if (w == own) return;
    if (!FTransientSaved) {
        FOwnTransientParent = own->transientParent();
        FTransientSaved = true;
    }
    own->setTransientParent(modal);
    connect(modal, &QWindow::visibleChanged, this, &TVirtualTablet::ModalVisibleChanged,
            Qt::UniqueConnection);
}

void TVirtualTablet::ModalVisibleChanged(bool visible)
{
    if (!visible) QTimer::singleShot(0, this, &TVirtualTablet::RestoreTransientParent);
}

void TVirtualTablet::RestoreTransientParent()
{
    QWindow* own = windowHandle();
    if (!own || !FTransientSaved) return;
    QWindow* modal = QGuiApplication::modalWindow();
    if (modal && modal != own) {
        // Another modal window is still up.
        own->setTransientParent(modal);
        return;
    }
    own->setTransientParent(FOwnTransientParent);
    FTransientSaved = false;
}

} // namespace rs
