#include "chartwin/EnhGrid.h"

#include <QPainter>
#include <QPaintEvent>

namespace rs {

namespace {
const QColor kFixedLineColor(128, 128, 128);
const QColor kLineColor(192, 192, 192);
} // namespace

// --- drawing ---------------------------------------------------------------------

TGridDrawState TEnhDrawGrid::StateOf(int col, int row) const
{
    if (col < FixedCols() || row < FixedRows())
        return gdFixed;
    TGridDrawState s = 0;
    if (Selection().Contains(col, row))
        s |= gdSelected;
    if (col == FCurrent.X && row == FCurrent.Y && (hasFocus() || (FEditor && FEditor->hasFocus())))
        s |= gdFocused;
    return s;
}

TCellStyle TEnhDrawGrid::CellStyle(int col, int row, TGridDrawState state)
{
    TCellStyle style;
    if (OnGetCellStyle)
        OnGetCellStyle(this, col, row, state, style);
    return style;
}

QColor TEnhDrawGrid::TextColorFor(TGridDrawState state, const TCellStyle& style) const
{
    if (style.TextColor.isValid())
        return style.TextColor;
    const bool highlighted =
        (state & gdSelected) && (!(state & gdFocused) || HasOption(goDrawFocusSelected));
    return palette().color(highlighted ? QPalette::HighlightedText : QPalette::Text);
}

void TEnhDrawGrid::DrawCellContent(QPainter& p, const QRect& rect, const QString& text, const TCellStyle& style,
                                   const QColor& textColor)
{
    p.save();
    if (!style.Picture.isNull()) {
        const QSize sz = style.Picture.deviceIndependentSize().toSize();
        int x = rect.left() + (rect.width() - sz.width()) / 2;
        if (style.PictureAlign & Qt::AlignLeft)
            x = rect.left() + style.PictureMargin;
        else if (style.PictureAlign & Qt::AlignRight)
            x = rect.left() + rect.width() - style.PictureMargin - sz.width();
        int y = (rect.top() + rect.top() + rect.height() - sz.height()) / 2;
        if (style.PictureAlign & Qt::AlignTop)
            y = rect.top();
        else if (style.PictureAlign & Qt::AlignBottom)
            y = rect.top() + rect.height() - sz.height();
        p.drawPixmap(x, y, style.Picture);
    }
    if (style.ShowText && !text.isEmpty()) {
        QString t = text;
        t.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
        QFont f = p.font();
        if (style.Bold) {
            f.setBold(true);
            p.setFont(f);
        }
        p.setPen(textColor);
        const int flags = int(style.Align) | (style.WordWrap ? int(Qt::TextWordWrap) : 0);
        p.drawText(rect.marginsRemoved(style.Margins), flags, t);
    }
    p.restore();
}

void TEnhDrawGrid::DefaultDrawCell(QPainter& p, int col, int row, const QRect& rect, TGridDrawState state)
{
    const TCellStyle style = CellStyle(col, row, state);
    DrawCellContent(p, rect, GetCellText(col, row), style, TextColorFor(state, style));
}

void TEnhDrawGrid::PaintCell(QPainter& p, int col, int row, const QRect& r)
{
    const TGridDrawState state = StateOf(col, row);
    const TCellStyle style = CellStyle(col, row, state);
    const bool highlighted =
        (state & gdSelected) && (!(state & gdFocused) || HasOption(goDrawFocusSelected));
    QColor bg = style.Background;
    if (!bg.isValid())
        bg = (state & gdFixed) ? FFixedColor : highlighted ? palette().color(QPalette::Highlight) : FCellColor;
    const QColor fg = TextColorFor(state, style);

    p.save();
    p.setClipRect(r);
    p.fillRect(r, bg);
    if ((state & gdFixed) && r.width() > 2 && r.height() > 2) {
        p.setPen(palette().color(QPalette::Light));
        p.drawLine(r.topLeft(), r.topRight());
        p.drawLine(r.topLeft(), r.bottomLeft());
        p.setPen(palette().color(QPalette::Mid));
        p.drawLine(r.bottomLeft(), r.bottomRight());
        p.drawLine(r.topRight(), r.bottomRight());
    }
    p.setFont(font());
    p.setPen(fg);
    if (OnDrawCell)
        OnDrawCell(this, col, row, r, state, p);
    else
        DrawCellContent(p, r, GetCellText(col, row), style, fg);
    if ((state & gdFocused) && !FEditing) {
        QPen pen(fg, 1, Qt::DotLine);
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        p.drawRect(r.adjusted(0, 0, -1, -1));
    }
    p.restore();
}

void TEnhDrawGrid::paintEvent(QPaintEvent* e)
{
    QPainter p(viewport());
    const QRect area = e->rect();
    p.fillRect(area, FCellColor);
    const int W = viewport()->width(), H = viewport()->height();
    const int vl = VLine(), hl = HLine();

    // Visible columns and rows with their positions: the fixed ones, then the scrolled ones.
    std::vector<std::pair<int, int>> cols, rows;
    int x = 0;
    for (int c = 0; c < FixedCols() && x < W; ++c) {
        cols.emplace_back(c, x);
        x += FColWidths[size_t(c)] + vl;
    }
    for (int c = FLeftCol; c < ColCount() && x < W; ++c) {
        cols.emplace_back(c, x);
        x += FColWidths[size_t(c)] + vl;
    }
    int y = 0;
    for (int r = 0; r < FixedRows() && y < H; ++r) {
        rows.emplace_back(r, y);
        y += FRowHeights[size_t(r)] + hl;
    }
    for (int r = FTopRow; r < RowCount() && y < H; ++r) {
        rows.emplace_back(r, y);
        y += FRowHeights[size_t(r)] + hl;
    }

    for (const auto& [row, ry] : rows) {
        const int h = FRowHeights[size_t(row)];
        if (ry > area.bottom() || ry + h + hl <= area.top())
            continue;
        for (const auto& [col, cx] : cols) {
            const int w = FColWidths[size_t(col)];
            if (cx > area.right() || cx + w + vl <= area.left())
                continue;
            const bool fixed = col < FixedCols() || row < FixedRows();
            if (w > 0 && h > 0)
                PaintCell(p, col, row, QRect(cx, ry, w, h));
            const bool vOn = HasOption(fixed ? goFixedVertLine : goVertLine);
            const bool hOn = HasOption(fixed ? goFixedHorzLine : goHorzLine);
            const QColor lineColor = fixed ? kFixedLineColor : kLineColor;
            const QColor off = fixed ? FFixedColor : FCellColor;
            if (vl)
                p.fillRect(QRect(cx + w, ry, vl, h + hl), vOn ? lineColor : off);
            if (hl)
                p.fillRect(QRect(cx, ry + h, w, hl), hOn ? lineColor : off);
        }
    }
}

} // namespace rs
