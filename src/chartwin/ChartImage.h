#pragma once
// TChartImage: the small picture of a blank pluviogram used as a preview by the
// properties, scale, point-set, coordinate, control-point prompt and dry-day
// windows. It shows the ready-made chart picture (straight or curved
// precipitation axis) with the hour strip of the start hour, and carries
// coloured markers placed at a time and a precipitation; one marker may be
// highlighted and any may blink. Markers are small child widgets, so moving or
// blinking one repaints only that marker.
//
// Geometry of the pictures (pixels of this widget):
//   y = 82 - round(7 p)
//   straight axis: x = 20 + round(10 (t - TimeStart))
//   curved axis:   x = 14 + round(173 (cos a + 1) + 10 (t - TimeStart)),
//                  a = ((p + 1) 2.5 + 165) degrees

#include <QPixmap>
#include <QWidget>

#include <vector>

class QTimer;

namespace rs {

// The pictures every TChartImage draws from, loaded once from the resources.
struct TChartPictures
{
    QPixmap PluvL;     // straight axis
    QPixmap PluvNL;    // curved axis
    QPixmap Strip[3];  // hour strips T7h, T8h, T9h
    QPixmap Marker[3]; // ptRed, ptGreen, ptBlue (optional)

    // The chart can be shown only with both charts and the three strips.
    bool Usable() const;
    static TChartPictures FromResources();
};

class TChartMarker;

class TChartImage : public QWidget
{
    Q_OBJECT

public:
    // Marker pictures; the prompt window's legend names them "A definir",
    // "Definidos" and "Em definição".
    enum TMarkerImage { miRed = 0, miGreen = 1, miBlue = 2 };
    static constexpr int kBlinkInterval = 300; // ms
    static constexpr int kMinTimeStart = 7;
    static constexpr int kMaxTimeStart = 9;

    // Throws std::runtime_error("Não posso criar a imagem dos pluviogramas")
    // (UTF-8) when the chart pictures are missing.
    explicit TChartImage(QWidget* parent = nullptr);
    ~TChartImage() override;

    // Shared pictures: loaded from the resources on first use and released when
    // the application object goes; SetPictures replaces them (tests).
    static const TChartPictures& Pictures();
    static void SetPictures(const TChartPictures& pictures);
    static void ReleasePictures();

    bool Linear() const { return FLinear; }
    void SetLinear(bool linear);
    int TimeStart() const { return FTimeStart; }
    void SetTimeStart(int hour); // limited to 7..9; markers keep their place

    // Chart values <-> pixels of this widget.
    QPoint ValueToPixel(double prec, double time) const;
    void PixelToValue(double x, double y, double& prec, double& time) const;

    // Markers. AddMarker returns the new marker's index, or -1 when the picture
    // of that kind is missing. New markers follow ShowMarkers' last setting.
    int AddMarker(int image, double prec, double time);
    int MarkerCount() const { return int(FMarkers.size()); }
    double MarkerTime(int i) const;
    double MarkerPrec(int i) const;
    int MarkerImage(int i) const;      // -1 for no such marker
    QString MarkerHint(int i) const;   // "(n) time  prec"
    QRect MarkerRect(int i) const;     // geometry in this widget
    bool MarkerShown(int i) const;     // not hidden (by blinking or ShowMarkers)
    bool MarkerBlinking(int i) const;
    int MarkerAt(const QPoint& pos) const; // topmost shown marker under pos, or -1
    void SetMarkerImage(int i, int image);
    void SetMarkerBlinking(int i, bool blinking);
    void RemoveMarkersFrom(int i); // markers i .. last
    void ClearMarkers() { RemoveMarkersFrom(0); }
    void ShowMarkers(bool show);   // hiding also stops all blinking
    bool MarkersShown() const { return FMarkersShown; }

    // Highlighting: the previous marker returns to the normal picture, marker i
    // takes the highlight picture; -1 highlights none.
    void HighlightMarker(int i);
    int HighlightedMarker() const { return FHighlighted; }
    int NormalImage() const { return FNormalImage; }
    void SetNormalImage(int image) { FNormalImage = image; }
    int HighlightImage() const { return FHighlightImage; }
    void SetHighlightImage(int image) { FHighlightImage = image; }

    bool BlinkActive() const; // the blink timer runs
    bool BlinkPhase() const { return FBlinkPhase; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

public slots:
    // One blink step: blinking markers take the phase's visibility, the phase flips.
    void BlinkTick();

signals:
    void ValueHovered(double prec, double time);
    // Left click (press and release on the picture) at a chart value.
    void ValueClicked(double prec, double time);
    void MarkerClicked(int index);

protected:
    bool event(QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    TChartMarker* Item(int i) const;
    void PlaceMarker(TChartMarker* m);
    void UpdateHint(TChartMarker* m);
    void StopBlinking(TChartMarker* m, bool show);
    void UpdateTimer();

    bool FLinear = true;
    int FTimeStart = 7;
    int FHighlighted = -1;
    int FNormalImage = miRed;
    int FHighlightImage = miBlue;
    bool FBlinkPhase = true;
    bool FMarkersShown = true;
    bool FPressed = false;
    std::vector<TChartMarker*> FMarkers;  // children, owned through Qt
    std::vector<TChartMarker*> FBlinking;
    QTimer* FBlinkTimer = nullptr;
};

} // namespace rs
