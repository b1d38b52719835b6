#include "chartwin/EnhGrid.h"

#include "common/ui/PlatformServices.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>

#include <climits>

namespace rs {

namespace {
constexpr int kHidden = INT_MIN;
constexpr int kSizingZone = 3; // pixels either side of a column border that start sizing
} // namespace

bool IsPrintableText(const QString& s)
{
    if (s.isEmpty())
        return false;
    for (QChar c : s)
        if (!c.isPrint())
            return false;
    return true;
}

// ---------------------------------------------------------------------------
// TEnhDrawGrid

TEnhDrawGrid::TEnhDrawGrid(QWidget* parent) : QAbstractScrollArea(parent)
{
    FColWidths.assign(5, FDefColWidth);
    FRowHeights.assign(5, FDefRowHeight);
    FFixedColor = palette().color(QPalette::Button);
    FCellColor = palette().color(QPalette::Base);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setMouseTracking(true);
    viewport()->setAutoFillBackground(false);
    verticalScrollBar()->setSingleStep(1);
    horizontalScrollBar()->setSingleStep(1);
    FEditor = new TInplaceEditEx(this);
    UpdateScrollBars();
}

TEnhDrawGrid::~TEnhDrawGrid()
{
    // A closing editor reports nothing once the grid is going away.
    FDestroying = true;
    FEditing = false;
    delete FEditor;
    FEditor = nullptr;
}

QString TEnhDrawGrid::GetCellText(int col, int row) const
{
    QString text;
    if (OnGetCellText)
        OnGetCellText(const_cast<TEnhDrawGrid*>(this), col, row, text);
    return text;
}

QString TEnhDrawGrid::CellsText(const TGridRect& block) const
{
    if (!OnGetCellText)
        return {};
    const int left = std::max(0, std::min(block.Left, block.Right));
    const int right = std::min(ColCount() - 1, std::max(block.Left, block.Right));
    const int top = std::max(0, std::min(block.Top, block.Bottom));
    const int bottom = std::min(RowCount() - 1, std::max(block.Top, block.Bottom));
    QString out;
    if (left > right)
        return out;
    for (int r = top; r <= bottom; ++r) {
        out += GetCellText(left, r);
        for (int c = left + 1; c <= right; ++c) {
            out += QLatin1Char('\t');
            out += GetCellText(c, r);
        }
        out += QLatin1String("\r\n");
    }
    return out;
}

void TEnhDrawGrid::CopyCells(const TGridRect& block)
{
    const QString text = CellsText(block);
    if (!text.isEmpty())
        Clipboard().SetText(text);
}

// --- layout ------------------------------------------------------------------

void TEnhDrawGrid::SetColCount(int n)
{
    n = std::max(0, n);
    if (n == ColCount())
        return;
    if (FEditing && FEditedCell.X >= n)
        CloseEditor(false);
    FColWidths.resize(size_t(n), FDefColWidth);
    for (TGridCoord* p : {&FCurrent, &FAnchor})
        if (p->X >= n)
            p->X = std::max(FixedCols(), n - 1);
    UpdateScrollBars();
    viewport()->update();
}

void TEnhDrawGrid::SetRowCount(int n)
{
    n = std::max(0, n);
    if (n == RowCount())
        return;
    if (FEditing && FEditedCell.Y >= n)
        CloseEditor(false);
    FRowHeights.resize(size_t(n), FDefRowHeight);
    for (TGridCoord* p : {&FCurrent, &FAnchor})
        if (p->Y >= n)
            p->Y = std::max(FixedRows(), n - 1);
    UpdateScrollBars();
    UpdateEditorGeometry();
    viewport()->update();
}

void TEnhDrawGrid::SetFixedCols(int n)
{
    const bool atStart = FLeftCol <= FixedCols();
    FFixedCols = std::max(0, n);
    for (TGridCoord* p : {&FCurrent, &FAnchor})
        p->X = FCurrentMoved ? std::max(p->X, FFixedCols) : FFixedCols;
    FLeftCol = atStart ? FFixedCols : std::max(FLeftCol, FFixedCols);
    UpdateScrollBars();
    viewport()->update();
}

void TEnhDrawGrid::SetFixedRows(int n)
{
    const bool atStart = FTopRow <= FixedRows();
    FFixedRows = std::max(0, n);
    for (TGridCoord* p : {&FCurrent, &FAnchor})
        p->Y = FCurrentMoved ? std::max(p->Y, FFixedRows) : FFixedRows;
    FTopRow = atStart ? FFixedRows : std::max(FTopRow, FFixedRows);
    UpdateScrollBars();
    viewport()->update();
}

void TEnhDrawGrid::SetDefaultColWidth(int w)
{
    FDefColWidth = std::max(0, w);
    std::fill(FColWidths.begin(), FColWidths.end(), FDefColWidth);
    UpdateScrollBars();
    UpdateEditorGeometry();
    viewport()->update();
}

void TEnhDrawGrid::SetDefaultRowHeight(int h)
{
    FDefRowHeight = std::max(0, h);
    std::fill(FRowHeights.begin(), FRowHeights.end(), FDefRowHeight);
    UpdateScrollBars();
    UpdateEditorGeometry();
    viewport()->update();
}

int TEnhDrawGrid::ColWidth(int col) const
{
    return col >= 0 && col < ColCount() ? FColWidths[size_t(col)] : FDefColWidth;
}

int TEnhDrawGrid::RowHeight(int row) const
{
    return row >= 0 && row < RowCount() ? FRowHeights[size_t(row)] : FDefRowHeight;
}

void TEnhDrawGrid::SetColWidth(int col, int w)
{
    if (col < 0 || col >= ColCount())
        return;
    FColWidths[size_t(col)] = std::max(0, w);
    UpdateScrollBars();
    UpdateEditorGeometry();
    viewport()->update();
}

void TEnhDrawGrid::SetRowHeight(int row, int h)
{
    if (row < 0 || row >= RowCount())
        return;
    FRowHeights[size_t(row)] = std::max(0, h);
    UpdateScrollBars();
    UpdateEditorGeometry();
    viewport()->update();
}

void TEnhDrawGrid::SetOptions(TGridOptions options)
{
    if (options == FOptions)
        return;
    FOptions = options;
    if (FEditing && (!HasOption(goEditing) || HasOption(goRowSelect)))
        CloseEditor(true);
    UpdateScrollBars();
    UpdateEditorGeometry();
    viewport()->update();
}

void TEnhDrawGrid::SetFixedColor(const QColor& c)
{
    FFixedColor = c;
    viewport()->update();
}

void TEnhDrawGrid::SetCellColor(const QColor& c)
{
    FCellColor = c;
    viewport()->update();
}

int TEnhDrawGrid::VLine() const { return (FOptions & (goVertLine | goFixedVertLine)) ? 1 : 0; }
int TEnhDrawGrid::HLine() const { return (FOptions & (goHorzLine | goFixedHorzLine)) ? 1 : 0; }

int TEnhDrawGrid::FixedWidth() const
{
    int w = 0;
    for (int c = 0; c < FixedCols(); ++c)
        w += FColWidths[size_t(c)] + VLine();
    return w;
}

int TEnhDrawGrid::FixedHeight() const
{
    int h = 0;
    for (int r = 0; r < FixedRows(); ++r)
        h += FRowHeights[size_t(r)] + HLine();
    return h;
}

int TEnhDrawGrid::ColX(int col) const
{
    if (col < 0 || col >= ColCount())
        return kHidden;
    int x = 0;
    if (col < FixedCols()) {
        for (int c = 0; c < col; ++c)
            x += FColWidths[size_t(c)] + VLine();
        return x;
    }
    if (col < FLeftCol)
        return kHidden;
    x = FixedWidth();
    const int limit = viewport()->width();
    for (int c = FLeftCol; c < col; ++c) {
        x += FColWidths[size_t(c)] + VLine();
        if (x >= limit)
            return kHidden;
    }
    return x;
}

int TEnhDrawGrid::RowY(int row) const
{
    if (row < 0 || row >= RowCount())
        return kHidden;
    int y = 0;
    if (row < FixedRows()) {
        for (int r = 0; r < row; ++r)
            y += FRowHeights[size_t(r)] + HLine();
        return y;
    }
    if (row < FTopRow)
        return kHidden;
    y = FixedHeight();
    const int limit = viewport()->height();
    for (int r = FTopRow; r < row; ++r) {
        y += FRowHeights[size_t(r)] + HLine();
        if (y >= limit)
            return kHidden;
    }
    return y;
}

QRect TEnhDrawGrid::CellRect(int col, int row) const
{
    const int x = ColX(col), y = RowY(row);
    if (x == kHidden || y == kHidden)
        return {};
    return QRect(x, y, FColWidths[size_t(col)], FRowHeights[size_t(row)]);
}

TGridCoord TEnhDrawGrid::MouseToCell(const QPoint& pos) const
{
    TGridCoord cell{-1, -1};
    auto find = [](int p, int fixed, int first, int count, int limit, int line, const std::vector<int>& sizes) {
        int at = 0;
        for (int i = 0; i < fixed; ++i) {
            const int next = at + sizes[size_t(i)] + line;
            if (p >= at && p < next)
                return i;
            at = next;
        }
        for (int i = first; i < count && at < limit; ++i) {
            const int next = at + sizes[size_t(i)] + line;
            if (p >= at && p < next)
                return i;
            at = next;
        }
        return -1;
    };
    if (pos.x() < 0 || pos.y() < 0)
        return cell;
    cell.X = find(pos.x(), FixedCols(), FLeftCol, ColCount(), viewport()->width(), VLine(), FColWidths);
    cell.Y = find(pos.y(), FixedRows(), FTopRow, RowCount(), viewport()->height(), HLine(), FRowHeights);
    if (cell.X < 0 || cell.Y < 0)
        return {-1, -1};
    return cell;
}

int TEnhDrawGrid::MaxTopRow() const
{
    const int avail = viewport()->height() - FixedHeight();
    const int last = RowCount() - 1;
    int acc = 0;
    for (int r = last; r >= FixedRows(); --r) {
        acc += FRowHeights[size_t(r)] + HLine();
        if (acc > avail)
            return std::min(r + 1, last);
    }
    return FixedRows();
}

int TEnhDrawGrid::MaxLeftCol() const
{
    const int avail = viewport()->width() - FixedWidth();
    const int last = ColCount() - 1;
    int acc = 0;
    for (int c = last; c >= FixedCols(); --c) {
        acc += FColWidths[size_t(c)] + VLine();
        if (acc > avail)
            return std::min(c + 1, last);
    }
    return FixedCols();
}

int TEnhDrawGrid::VisibleRowCount() const
{
    const int avail = viewport()->height() - FixedHeight();
    int acc = 0, n = 0;
    for (int r = FTopRow; r < RowCount(); ++r) {
        acc += FRowHeights[size_t(r)];
        if (acc > avail)
            break;
        acc += HLine();
        ++n;
    }
    return n;
}

int TEnhDrawGrid::VisibleColCount() const
{
    const int avail = viewport()->width() - FixedWidth();
    int acc = 0, n = 0;
    for (int c = FLeftCol; c < ColCount(); ++c) {
        acc += FColWidths[size_t(c)];
        if (acc > avail)
            break;
        acc += VLine();
        ++n;
    }
    return n;
}

void TEnhDrawGrid::UpdateScrollBars()
{
    const int maxTop = std::max(FixedRows(), MaxTopRow());
    const int maxLeft = std::max(FixedCols(), MaxLeftCol());
    FTopRow = std::clamp(FTopRow, FixedRows(), maxTop);
    FLeftCol = std::clamp(FLeftCol, FixedCols(), maxLeft);
    FSyncingBars = true;
    verticalScrollBar()->setRange(FixedRows(), maxTop);
    verticalScrollBar()->setPageStep(std::max(1, VisibleRowCount()));
    verticalScrollBar()->setValue(FTopRow);
    horizontalScrollBar()->setRange(FixedCols(), maxLeft);
    horizontalScrollBar()->setPageStep(std::max(1, VisibleColCount()));
    horizontalScrollBar()->setValue(FLeftCol);
    FSyncingBars = false;
}

void TEnhDrawGrid::scrollContentsBy(int, int)
{
    if (FSyncingBars)
        return;
    FTopRow = verticalScrollBar()->value();
    FLeftCol = horizontalScrollBar()->value();
    UpdateEditorGeometry();
    viewport()->update();
}

void TEnhDrawGrid::resizeEvent(QResizeEvent* e)
{
    QAbstractScrollArea::resizeEvent(e);
    UpdateScrollBars();
    UpdateEditorGeometry();
}

void TEnhDrawGrid::SetTopRow(int row)
{
    row = std::clamp(row, FixedRows(), std::max(FixedRows(), MaxTopRow()));
    if (row == FTopRow)
        return;
    FTopRow = row;
    UpdateScrollBars();
    UpdateEditorGeometry();
    viewport()->update();
}

void TEnhDrawGrid::SetLeftCol(int col)
{
    col = std::clamp(col, FixedCols(), std::max(FixedCols(), MaxLeftCol()));
    if (col == FLeftCol)
        return;
    FLeftCol = col;
    UpdateScrollBars();
    UpdateEditorGeometry();
    viewport()->update();
}

void TEnhDrawGrid::MakeVisible(int col, int row)
{
    if (row >= FixedRows() && row < RowCount()) {
        if (row < FTopRow)
            SetTopRow(row);
        else if (row >= FTopRow + VisibleRowCount()) {
            // The top row that shows row as the last complete one.
            const int avail = viewport()->height() - FixedHeight();
            int top = row, acc = FRowHeights[size_t(row)];
            while (top - 1 >= FixedRows() && acc + HLine() + FRowHeights[size_t(top - 1)] <= avail) {
                --top;
                acc += HLine() + FRowHeights[size_t(top)];
            }
            SetTopRow(top);
        }
    }
    if (col >= FixedCols() && col < ColCount()) {
        if (col < FLeftCol)
            SetLeftCol(col);
        else if (col >= FLeftCol + VisibleColCount()) {
            const int avail = viewport()->width() - FixedWidth();
            int left = col, acc = FColWidths[size_t(col)];
            while (left - 1 >= FixedCols() && acc + VLine() + FColWidths[size_t(left - 1)] <= avail) {
                --left;
                acc += VLine() + FColWidths[size_t(left)];
            }
            SetLeftCol(left);
        }
    }
}

void TEnhDrawGrid::InvalidateCell(int col, int row)
{
    const QRect r = CellRect(col, row);
    if (!r.isEmpty())
        viewport()->update(r.adjusted(0, 0, VLine(), HLine()));
}

void TEnhDrawGrid::InvalidateRow(int row)
{
    const int y = RowY(row);
    if (y != kHidden)
        viewport()->update(QRect(0, y, viewport()->width(), FRowHeights[size_t(row)] + HLine()));
}

void TEnhDrawGrid::InvalidateGrid() { viewport()->update(); }

// --- current cell and selection ------------------------------------------------

TGridRect TEnhDrawGrid::Selection() const
{
    TGridRect s{std::min(FAnchor.X, FCurrent.X), std::min(FAnchor.Y, FCurrent.Y),
                std::max(FAnchor.X, FCurrent.X), std::max(FAnchor.Y, FCurrent.Y)};
    if (HasOption(goRowSelect)) {
        s.Left = FixedCols();
        s.Right = std::max(FixedCols(), ColCount() - 1);
    }
    return s;
}

void TEnhDrawGrid::SetSelection(const TGridRect& block)
{
    if (ColCount() == 0 || RowCount() == 0)
        return;
    if (FEditing)
        CloseEditor(true);
    auto cx = [this](int c) { return std::clamp(c, 0, ColCount() - 1); };
    auto cy = [this](int r) { return std::clamp(r, 0, RowCount() - 1); };
    FAnchor = {cx(std::min(block.Left, block.Right)), cy(std::min(block.Top, block.Bottom))};
    FCurrent = {cx(std::max(block.Left, block.Right)), cy(std::max(block.Top, block.Bottom))};
    FCurrentMoved = true;
    viewport()->update();
}

void TEnhDrawGrid::SelectAll() { SetSelection({0, 0, ColCount() - 1, RowCount() - 1}); }

bool TEnhDrawGrid::SetCurrent(int col, int row) { return MoveCurrent(col, row, true, true); }

bool TEnhDrawGrid::MoveCurrent(int col, int row, bool moveAnchor, bool checkSelect)
{
    if (!DataCell(col, row))
        return false;
    if (checkSelect && OnSelectCell) {
        bool can = true;
        OnSelectCell(this, col, row, can);
        if (!can)
            return false;
    }
    if (FEditing)
        CloseEditor(true);
    if (!DataCell(col, row)) // the report may have changed the grid
        return false;
    FCurrent = {col, row};
    FCurrentMoved = true;
    if (moveAnchor)
        FAnchor = FCurrent;
    MakeVisible(col, row);
    viewport()->update();
    return true;
}

bool TEnhDrawGrid::MoveTo(int col, int row, bool extend)
{
    if (ColCount() <= FixedCols() || RowCount() <= FixedRows())
        return false;
    col = std::clamp(col, FixedCols(), ColCount() - 1);
    row = std::clamp(row, FixedRows(), RowCount() - 1);
    return MoveCurrent(col, row, !(extend && HasOption(goRangeSelect)), true);
}

// --- editing -------------------------------------------------------------------

bool TEnhDrawGrid::CanEditShow()
{
    if (!HasOption(goEditing) || HasOption(goRowSelect) || !DataCell(FCurrent.X, FCurrent.Y))
        return false;
    if (OnEditCell) {
        bool allow = true;
        OnEditCell(this, FCurrent.X, FCurrent.Y, allow);
        if (!allow)
            return false;
    }
    FEditedCell = FCurrent;
    return true;
}

void TEnhDrawGrid::ShowEditor()
{
    if (FEditing || !CanEditShow())
        return;
    MakeVisible(FEditedCell.X, FEditedCell.Y);
    QString text;
    if (OnGetEditText)
        OnGetEditText(this, FEditedCell.X, FEditedCell.Y, text);
    else
        text = GetCellText(FEditedCell.X, FEditedCell.Y);
    FEditor->setFont(font());
    FEditor->setText(text);
    FEditor->selectAll();
    FEditing = true;
    UpdateEditorGeometry();
    FEditor->show();
    FEditor->setFocus(Qt::OtherFocusReason);
}

void TEnhDrawGrid::HideEditor() { CloseEditor(true); }
void TEnhDrawGrid::CancelEditor() { CloseEditor(false); }

void TEnhDrawGrid::CloseEditor(bool report)
{
    if (!FEditing)
        return;
    FEditing = false;
    const QString text = FEditor->text();
    const TGridCoord cell = FEditedCell;
    const bool hadFocus = FEditor->hasFocus();
    FEditor->hide();
    if (hadFocus)
        setFocus(Qt::OtherFocusReason);
    InvalidateCell(cell.X, cell.Y);
    if (report && !FDestroying && OnEditedCell)
        OnEditedCell(this, cell.X, cell.Y, text);
}

void TEnhDrawGrid::EditorLostFocus()
{
    if (FEditing && !FDestroying)
        CloseEditor(true);
}

void TEnhDrawGrid::EditorKey(QKeyEvent* e) { keyPressEvent(e); }

void TEnhDrawGrid::UpdateEditorGeometry()
{
    if (!FEditing || !FEditor)
        return;
    const QRect r = CellRect(FEditedCell.X, FEditedCell.Y);
    // A cell scrolled out keeps its editor (and the focus) out of sight.
    FEditor->setGeometry(r.isEmpty() ? QRect(-10000, -10000, 10, 10) : r);
}

// --- keyboard and mouse ----------------------------------------------------------

bool TEnhDrawGrid::focusNextPrevChild(bool next)
{
    if (HasOption(goTabs))
        return false; // Tab moves between cells (keyPressEvent)
    return QAbstractScrollArea::focusNextPrevChild(next);
}

void TEnhDrawGrid::keyPressEvent(QKeyEvent* e)
{
    if (OnKeyDown) {
        bool handled = false;
        OnKeyDown(this, e, handled);
        if (handled) {
            e->accept();
            return;
        }
    }
    const Qt::KeyboardModifiers mods = e->modifiers();
    const bool shift = mods.testFlag(Qt::ShiftModifier);
    const bool ctrl = mods.testFlag(Qt::ControlModifier);
    const int page = std::max(1, VisibleRowCount());
    const int c = FCurrent.X, r = FCurrent.Y;
    switch (e->key()) {
    case Qt::Key_Up: MoveTo(c, r - 1, shift); break;
    case Qt::Key_Down: MoveTo(c, r + 1, shift); break;
    case Qt::Key_Left: MoveTo(c - 1, r, shift); break;
    case Qt::Key_Right: MoveTo(c + 1, r, shift); break;
    case Qt::Key_PageUp: MoveTo(c, r - page, shift); break;
    case Qt::Key_PageDown: MoveTo(c, r + page, shift); break;
    case Qt::Key_Home: ctrl ? MoveTo(c, FixedRows(), shift) : MoveTo(FixedCols(), r, shift); break;
    case Qt::Key_End: ctrl ? MoveTo(c, RowCount() - 1, shift) : MoveTo(ColCount() - 1, r, shift); break;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        if (!HasOption(goTabs)) {
            e->ignore();
            return;
        }
        if (e->key() == Qt::Key_Backtab || shift) {
            if (c > FixedCols())
                MoveTo(c - 1, r, false);
            else if (r > FixedRows())
                MoveTo(ColCount() - 1, r - 1, false);
        } else {
            if (c < ColCount() - 1)
                MoveTo(c + 1, r, false);
            else if (r < RowCount() - 1)
                MoveTo(FixedCols(), r + 1, false);
        }
        break;
    case Qt::Key_F2: ShowEditor(); break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (FEditing)
            CloseEditor(true);
        else
            ShowEditor();
        break;
    default:
        if (e->matches(QKeySequence::Copy)) {
            CopySelection();
            break;
        }
        if (!FEditing && HasOption(goEditing) && IsPrintableText(e->text()) &&
            !(mods & (Qt::ControlModifier | Qt::AltModifier))) {
            // Typing on a cell opens its editor with the character replacing the text.
            ShowEditor();
            if (FEditing)
                FEditor->TypeText(e->text());
            break;
        }
        QAbstractScrollArea::keyPressEvent(e);
        return;
    }
    e->accept();
}

int TEnhDrawGrid::SizingColAt(const QPoint& pos) const
{
    if (!HasOption(goColSizing))
        return -1;
    // Columns are sized from the fixed rows, or anywhere when there are none.
    if (FixedRows() > 0 && pos.y() >= FixedHeight())
        return -1;
    auto check = [&](int col) {
        const int x = ColX(col);
        if (x == kHidden)
            return false;
        const int border = x + FColWidths[size_t(col)];
        return std::abs(pos.x() - border) <= kSizingZone;
    };
    const int lastVisible = std::min(ColCount() - 1, FLeftCol + VisibleColCount());
    for (int c = lastVisible; c >= FLeftCol; --c)
        if (check(c))
            return c;
    for (int c = FixedCols() - 1; c >= 0; --c)
        if (check(c))
            return c;
    return -1;
}

void TEnhDrawGrid::mousePressEvent(QMouseEvent* e)
{
    const QPoint pos = e->position().toPoint();
    if (e->button() == Qt::LeftButton) {
        const int sizing = SizingColAt(pos);
        if (sizing >= 0) {
            FSizingCol = sizing;
            FSizingStartX = pos.x();
            FSizingStartW = ColWidth(sizing);
        } else {
            // A single click selects; it never opens the editor.
            const TGridCoord cell = MouseToCell(pos);
            if (DataCell(cell.X, cell.Y)) {
                const bool extend = e->modifiers().testFlag(Qt::ShiftModifier) && HasOption(goRangeSelect);
                MoveCurrent(cell.X, cell.Y, !extend, true);
                FSelecting = HasOption(goRangeSelect);
            }
        }
    }
    if (OnMouseDown)
        OnMouseDown(this, e->button(), e->modifiers(), pos);
}

void TEnhDrawGrid::mouseMoveEvent(QMouseEvent* e)
{
    const QPoint pos = e->position().toPoint();
    if (FSizingCol >= 0) {
        SetColWidth(FSizingCol, std::max(2, FSizingStartW + pos.x() - FSizingStartX));
        return;
    }
    if (FSelecting && e->buttons().testFlag(Qt::LeftButton)) {
        TGridCoord cell = MouseToCell(pos);
        if (pos.y() >= viewport()->height())
            cell = {cell.X < 0 ? FCurrent.X : cell.X, FCurrent.Y + 1};
        else if (pos.y() < FixedHeight())
            cell = {cell.X < 0 ? FCurrent.X : cell.X, FCurrent.Y - 1};
        if (cell.X < 0)
            cell.X = FCurrent.X;
        if (cell.Y >= 0 && !(cell == FCurrent))
            MoveTo(cell.X, cell.Y, true);
        return;
    }
    if (e->buttons() == Qt::NoButton) {
        if (SizingColAt(pos) >= 0)
            viewport()->setCursor(Qt::SplitHCursor);
        else
            viewport()->unsetCursor();
    }
}

void TEnhDrawGrid::mouseReleaseEvent(QMouseEvent* e)
{
    if (FSizingCol >= 0) {
        const int col = FSizingCol;
        FSizingCol = -1;
        if (OnColResized)
            OnColResized(this, col);
    }
    FSelecting = false;
    if (OnMouseUp)
        OnMouseUp(this, e->button(), e->modifiers(), e->position().toPoint());
}

void TEnhDrawGrid::mouseDoubleClickEvent(QMouseEvent* e)
{
    const QPoint pos = e->position().toPoint();
    if (e->button() == Qt::LeftButton && SizingColAt(pos) < 0) {
        const TGridCoord cell = MouseToCell(pos);
        if (DataCell(cell.X, cell.Y)) {
            if (!(cell == FCurrent))
                MoveCurrent(cell.X, cell.Y, true, true);
            if (cell == FCurrent)
                ShowEditor();
        }
    }
    if (OnMouseDown)
        OnMouseDown(this, e->button(), e->modifiers(), pos);
}

void TEnhDrawGrid::focusInEvent(QFocusEvent* e)
{
    QAbstractScrollArea::focusInEvent(e);
    InvalidateCell(FCurrent.X, FCurrent.Y);
}

void TEnhDrawGrid::focusOutEvent(QFocusEvent* e)
{
    QAbstractScrollArea::focusOutEvent(e);
    InvalidateCell(FCurrent.X, FCurrent.Y);
}

} // namespace rs
