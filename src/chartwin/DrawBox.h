#pragma once
// The drawing surface: erases its exposed area with its colour, lets its owner
// draw through a canvas (OnPaint), and draws and hit-tests the point markers
// of the lists that live on it, with the selection handles and the hints of
// the markers as tooltips. Presses on a marker are presses on the surface.

#include "common/Canvas.h"
#include "document/uPoints.h"

#include <QList>
#include <QPixmap>
#include <QWidget>

#include <functional>
#include <vector>

namespace rs {

class TDrawBox : public QWidget, public TDrawSurface
{
    Q_OBJECT
public:
    explicit TDrawBox(QWidget* parent = nullptr);
    ~TDrawBox() override;

    QColor Color() const { return FColor; }
    void SetColor(const QColor& c);

    // Called after the background is erased; the canvas clips to the exposed area.
    std::function<void(TDrawBox*, TCanvas&)> OnPaint;
    std::function<void(TDrawBox*)> OnResize;

    // Point lists whose markers this surface draws, the later ones on top.
    void AddPointList(TPointList* list);
    void RemovePointList(TPointList* list);
    const std::vector<TPointList*>& PointLists() const { return FLists; }
    // The pictures of a list's glyphs by image index; their sizes are the list's glyph sizes.
    void SetGlyphs(TPointList* list, const QList<QPixmap>& glyphs);
    // The visible marker under a surface position, the topmost first; none when there is none.
    TDigPoint* MarkerAt(const QPoint& pos) const;

    // Paints the area r of the surface on any painter (the paint event, pictures, benchmarks).
    void PaintArea(QPainter& painter, const QRect& r);

    // TDrawSurface
    void InvalidateRect(const TRect& r) override;
    void MarkersChanged(TPointList* list) override;

signals:
    void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint pos);
    void MouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, QPoint pos);
    void MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint pos);
    void Clicked(QPoint pos);
    void DoubleClicked(QPoint pos);
    void MouseLeft();

protected:
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void leaveEvent(QEvent* e) override;
    bool event(QEvent* e) override;

private:
    struct TListEntry
    {
        TPointList* List;
        QList<QPixmap> Glyphs;
    };
    void DrawMarkers(QPainter& p, const QRect& r);
    const TListEntry* Entry(const TPointList* list) const;

    QColor FColor{Qt::white};
    std::vector<TPointList*> FLists;
    std::vector<TListEntry> FEntries;
    TDigPoint* FPressedMarker = nullptr;
    bool FPressed = false;
};

} // namespace rs
