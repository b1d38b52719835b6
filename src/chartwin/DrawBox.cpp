#include "chartwin/DrawBox.h"

#include "chartwin/QtCanvas.h"
#include "common/Utils.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

#include <algorithm>

namespace rs {

TDrawBox::TDrawBox(QWidget* parent) : QWidget(parent)
{
    resize(105, 105);
    setMouseTracking(true);
    // The surface repaints everything it shows; Qt need not clear it first.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

TDrawBox::~TDrawBox() = default;

void TDrawBox::SetColor(const QColor& c)
{
    if (c == FColor)
        return;
    FColor = c;
    update();
}

void TDrawBox::AddPointList(TPointList* list)
{
    if (!list || Entry(list))
        return;
    FLists.push_back(list);
    FEntries.push_back({list, {}});
    update();
}

void TDrawBox::RemovePointList(TPointList* list)
{
    FLists.erase(std::remove(FLists.begin(), FLists.end(), list), FLists.end());
    FEntries.erase(std::remove_if(FEntries.begin(), FEntries.end(), [list](const TListEntry& e) { return e.List == list; }),
                   FEntries.end());
    FPressedMarker = nullptr;
    update();
}

void TDrawBox::SetGlyphs(TPointList* list, const QList<QPixmap>& glyphs)
{
    for (auto& e : FEntries)
        if (e.List == list) {
            e.Glyphs = glyphs;
            update();
        }
}

const TDrawBox::TListEntry* TDrawBox::Entry(const TPointList* list) const
{
    for (const auto& e : FEntries)
        if (e.List == list)
            return &e;
    return nullptr;
}

TDigPoint* TDrawBox::MarkerAt(const QPoint& pos) const
{
    const TPoint p{pos.x(), pos.y()};
    for (auto it = FEntries.rbegin(); it != FEntries.rend(); ++it) {
        const TPointList* list = it->List;
        if (!list->Visible())
            continue;
        for (int i = list->Count() - 1; i >= 0; --i) {
            TDigPoint* pt = list->Items(i);
            if (pt->Bounds().Contains(p))
                return pt;
        }
    }
    return nullptr;
}

void TDrawBox::InvalidateRect(const TRect& r)
{
    if (!r.IsEmpty())
        update(QRect(r.left, r.top, r.Width(), r.Height()));
}

void TDrawBox::MarkersChanged(TPointList*)
{
    // A marker pressed a moment ago may be gone: compare by identity only.
    if (FPressedMarker) {
        bool found = false;
        for (const auto& e : FEntries)
            for (int i = 0; i < e.List->Count() && !found; ++i)
                found = e.List->Items(i) == FPressedMarker;
        if (!found)
            FPressedMarker = nullptr;
    }
    update();
}

void TDrawBox::PaintArea(QPainter& painter, const QRect& r)
{
    painter.fillRect(r, FColor);
    if (OnPaint) {
        TQtCanvas canvas(painter, {r.left(), r.top(), r.right() + 1, r.bottom() + 1});
        OnPaint(this, canvas);
    }
    DrawMarkers(painter, r);
}

void TDrawBox::DrawMarkers(QPainter& p, const QRect& r)
{
    p.setPen(Qt::NoPen);
    for (const auto& e : FEntries) {
        const TPointList* list = e.List;
        if (!list->Visible())
            continue;
        const int n = list->Count();
        for (int i = 0; i < n; ++i) {
            const TDigPoint* pt = list->Items(i);
            const TRect& b = pt->Bounds();
            const QRect box(b.left, b.top, b.Width(), b.Height());
            if (!box.intersects(r))
                continue;
            const int g = pt->ImageIndex();
            if (g >= 0 && g < e.Glyphs.size() && !e.Glyphs[g].isNull())
                p.drawPixmap(box.topLeft(), e.Glyphs[g]);
            else {
                // A point without a picture: a square in the default pen and brush.
                p.setPen(Qt::black);
                p.setBrush(Qt::white);
                p.drawRect(box.adjusted(0, 0, -1, -1));
                p.setPen(Qt::NoPen);
            }
        }
        for (const TRect& h : list->HandleRects())
            p.fillRect(QRect(h.left, h.top, h.Width(), h.Height()), Qt::black);
    }
    p.setBrush(Qt::NoBrush);
}

void TDrawBox::paintEvent(QPaintEvent* e)
{
    QPainter p(this);
    PaintArea(p, e->rect());
}

void TDrawBox::resizeEvent(QResizeEvent* e)
{
    QWidget::resizeEvent(e);
    if (OnResize)
        OnResize(this);
}

void TDrawBox::mousePressEvent(QMouseEvent* e)
{
    const QPoint pos = e->position().toPoint();
    FPressedMarker = MarkerAt(pos);
    FPressed = true;
    emit MouseDown(e->button(), e->modifiers(), pos);
}

void TDrawBox::mouseMoveEvent(QMouseEvent* e)
{
    emit MouseMove(e->buttons(), e->modifiers(), e->position().toPoint());
}

void TDrawBox::mouseReleaseEvent(QMouseEvent* e)
{
    const QPoint pos = e->position().toPoint();
    const bool click = FPressed && rect().contains(pos);
    FPressed = false;
    TDigPoint* marker = FPressedMarker;
    FPressedMarker = nullptr;
    if (click && e->button() == Qt::LeftButton && marker && MarkerAt(pos) == marker && marker->List())
        marker->List()->PointClicked(marker);
    emit MouseUp(e->button(), e->modifiers(), pos);
    if (click)
        emit Clicked(pos);
}

void TDrawBox::mouseDoubleClickEvent(QMouseEvent* e)
{
    // The second press of a double click is a press as well.
    mousePressEvent(e);
    emit DoubleClicked(e->position().toPoint());
}

void TDrawBox::leaveEvent(QEvent* e)
{
    QWidget::leaveEvent(e);
    emit MouseLeft();
}

bool TDrawBox::event(QEvent* e)
{
    if (e->type() == QEvent::ToolTip) {
        auto* he = static_cast<QHelpEvent*>(e);
        if (const TDigPoint* pt = MarkerAt(he->pos()); pt && pt->ShowHint() && !pt->Hint().empty()) {
            QString text = QString::fromStdString(Cp1252ToUtf8(pt->Hint()));
            text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
            const TRect& b = pt->Bounds();
            QToolTip::showText(he->globalPos(), text, this, QRect(b.left, b.top, b.Width(), b.Height()));
            return true;
        }
        if (toolTip().isEmpty()) {
            QToolTip::hideText();
            e->ignore();
            return true;
        }
    }
    return QWidget::event(e);
}

} // namespace rs
