#pragma once
// TEnhDrawGrid, the program's table control: an owner-drawn grid that asks its
// owner for every cell text (OnGetCellText) instead of storing texts, copies a
// block of cells to the clipboard as tab-separated lines, and lets the owner
// veto editing, check every keystroke and paste, and receive the edited text.
//
// Rows and columns are virtual: only the visible cells are asked for and
// painted, so tens of thousands of rows cost nothing until they are seen. The
// grid scrolls by whole rows and columns; fixed rows and columns stay in place.
//
// Editing starts only by double click, F2, Enter or typing a character on the
// current cell (never by a single click); Escape closes the editor without a
// report; Enter, moving to another cell or the focus leaving the grid closes it
// reporting the text through OnEditedCell.

#include <QAbstractScrollArea>
#include <QColor>
#include <QLineEdit>
#include <QMargins>
#include <QPixmap>

#include <algorithm>
#include <functional>
#include <vector>

class QMenu;

namespace rs {

struct TGridCoord
{
    int X = 0; // column
    int Y = 0; // row
    bool operator==(const TGridCoord&) const = default;
};

struct TGridRect
{
    int Left = 0, Top = 0, Right = 0, Bottom = 0; // inclusive
    bool operator==(const TGridRect&) const = default;
    bool Contains(int col, int row) const { return col >= Left && col <= Right && row >= Top && row <= Bottom; }
};

enum TGridOption : unsigned {
    goFixedVertLine = 1u << 0,
    goFixedHorzLine = 1u << 1,
    goVertLine = 1u << 2,
    goHorzLine = 1u << 3,
    goRangeSelect = 1u << 4,
    goDrawFocusSelected = 1u << 5,
    goRowSizing = 1u << 6,
    goColSizing = 1u << 7,
    goRowSelect = 1u << 8,
    goEditing = 1u << 9,
    goTabs = 1u << 10,
};
using TGridOptions = unsigned;
inline constexpr TGridOptions kDefaultGridOptions =
    goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine | goRangeSelect;

enum TGridDrawStateFlag : unsigned { gdSelected = 1, gdFocused = 2, gdFixed = 4 };
using TGridDrawState = unsigned;

// How the default drawing shows a cell; OnGetCellStyle adjusts it per cell.
struct TCellStyle
{
    Qt::Alignment Align = Qt::AlignLeft | Qt::AlignTop;
    QMargins Margins{2, 2, 2, 0}; // text rectangle inside the cell rectangle
    bool WordWrap = false;        // "\r\n" always breaks lines
    bool Bold = false;
    QColor TextColor;             // invalid: by state (text, or highlighted text when selected)
    QColor Background;            // invalid: by state (fixed, cell or highlight colour)
    bool ShowText = true;
    QPixmap Picture;              // drawn before the text when not null
    Qt::Alignment PictureAlign = Qt::AlignCenter;
    int PictureMargin = 0;        // from the left/right edge for left/right-aligned pictures
};

class TEnhDrawGrid;
class TInplaceEditEx;

// A typed text that is a character (not Backspace, Enter or another control key).
bool IsPrintableText(const QString& s);

using TGetCellTextEvent = std::function<void(TEnhDrawGrid* sender, int col, int row, QString& text)>;
using TEditCellEvent = std::function<void(TEnhDrawGrid* sender, int col, int row, bool& allowEdit)>;
using TChangeCellEvent =
    std::function<void(TEnhDrawGrid* sender, int col, int row, const QString& value, bool& allowChange)>;
using TEditedCellEvent = std::function<void(TEnhDrawGrid* sender, int col, int row, const QString& value)>;
using TSelectCellEvent = std::function<void(TEnhDrawGrid* sender, int col, int row, bool& canSelect)>;
using TGetCellStyleEvent =
    std::function<void(TEnhDrawGrid* sender, int col, int row, TGridDrawState state, TCellStyle& style)>;
// The background is filled; the painter is clipped to the cell, with the grid's font and the
// state's text colour.
using TDrawCellEvent = std::function<void(TEnhDrawGrid* sender, int col, int row, const QRect& rect,
                                          TGridDrawState state, QPainter& painter)>;
using TGridKeyEvent = std::function<void(TEnhDrawGrid* sender, QKeyEvent* event, bool& handled)>;
// Positions are in viewport coordinates (see MouseToCell).
using TGridMouseEvent = std::function<void(TEnhDrawGrid* sender, Qt::MouseButton button,
                                           Qt::KeyboardModifiers modifiers, const QPoint& pos)>;

class TEnhDrawGrid : public QAbstractScrollArea
{
    Q_OBJECT
public:
    explicit TEnhDrawGrid(QWidget* parent = nullptr);
    ~TEnhDrawGrid() override;

    // --- events (each called only when set) ---
    TGetCellTextEvent OnGetCellText;
    TEditCellEvent OnEditCell;     // before the editor opens on a cell
    TChangeCellEvent OnChangeCell; // before each typed character or paste, with the resulting text
    TEditedCellEvent OnEditedCell; // the final text when the editor closes (not by Escape)
    TGetCellTextEvent OnGetEditText; // the editor's starting text; GetCellText when not set
    TSelectCellEvent OnSelectCell;   // before the current cell moves (user or SetCurrent)
    TGetCellStyleEvent OnGetCellStyle;
    TDrawCellEvent OnDrawCell;       // replaces the default drawing of the cell's content
    TGridKeyEvent OnKeyDown;         // before the grid's own key handling, also for the editor's
                                     // Enter, Tab, Up, Down, PgUp and PgDn
    TGridMouseEvent OnMouseDown, OnMouseUp;
    std::function<void(TEnhDrawGrid* sender, int col)> OnColResized;

    // --- texts and clipboard ---
    QString GetCellText(int col, int row) const;
    // One line per row of the block, cells joined by tabs, every line ending in CR LF, put on the
    // clipboard (Clipboard() service). Nothing without OnGetCellText or when no line results.
    void CopyCells(const TGridRect& block);
    void CopySelection() { CopyCells(Selection()); }
    QString CellsText(const TGridRect& block) const; // the text CopyCells would put

    // --- layout ---
    int ColCount() const { return int(FColWidths.size()); }
    int RowCount() const { return int(FRowHeights.size()); }
    void SetColCount(int n);
    void SetRowCount(int n);
    int FixedCols() const { return std::min(FFixedCols, ColCount()); }
    int FixedRows() const { return std::min(FFixedRows, RowCount()); }
    void SetFixedCols(int n);
    void SetFixedRows(int n);
    int DefaultColWidth() const { return FDefColWidth; }
    int DefaultRowHeight() const { return FDefRowHeight; }
    void SetDefaultColWidth(int w); // applies to every column
    void SetDefaultRowHeight(int h); // applies to every row
    int ColWidth(int col) const;
    int RowHeight(int row) const;
    void SetColWidth(int col, int w);
    void SetRowHeight(int row, int h);
    int GridLineWidth() const { return 1; }
    TGridOptions Options() const { return FOptions; }
    void SetOptions(TGridOptions options);
    void SetOption(TGridOption option, bool on) { SetOptions(on ? FOptions | option : FOptions & ~option); }
    bool HasOption(TGridOption option) const { return (FOptions & option) != 0; }
    QColor FixedColor() const { return FFixedColor; }
    QColor CellColor() const { return FCellColor; }
    void SetFixedColor(const QColor& c);
    void SetCellColor(const QColor& c);

    // --- current cell, selection, scrolling ---
    int Col() const { return FCurrent.X; }
    int Row() const { return FCurrent.Y; }
    void SetCol(int col) { SetCurrent(col, FCurrent.Y); }
    void SetRow(int row) { SetCurrent(FCurrent.X, row); }
    // Moves the current cell (a non-fixed cell) and collapses the selection onto it, asking
    // OnSelectCell first; closes an open editor with its report. False when refused or invalid.
    bool SetCurrent(int col, int row);
    TGridRect Selection() const;
    // Sets the block as is (fixed cells allowed, clamped to the grid); the current cell becomes its
    // bottom right corner. OnSelectCell is not asked.
    void SetSelection(const TGridRect& block);
    void SelectAll(); // every cell, fixed ones included
    int TopRow() const { return FTopRow; }
    int LeftCol() const { return FLeftCol; }
    void SetTopRow(int row);
    void SetLeftCol(int col);
    int VisibleRowCount() const; // non-fixed rows shown completely
    int VisibleColCount() const;
    void MakeVisible(int col, int row);
    // In viewport coordinates; empty when the cell is scrolled out or does not exist.
    QRect CellRect(int col, int row) const;
    TGridCoord MouseToCell(const QPoint& pos) const; // {-1, -1} outside the cells
    void InvalidateCell(int col, int row);
    void InvalidateRow(int row);
    void InvalidateGrid();

    // --- editing ---
    bool EditorMode() const { return FEditing; }
    void ShowEditor();   // when the rules and OnEditCell allow it
    void HideEditor();   // closes reporting the text
    void CancelEditor(); // closes without a report
    bool CanEditShow();
    TGridCoord EditedCell() const { return FEditedCell; }
    TInplaceEditEx* InplaceEditor() const { return FEditor; }

    // --- drawing helpers for owners ---
    TCellStyle CellStyle(int col, int row, TGridDrawState state);
    void DefaultDrawCell(QPainter& p, int col, int row, const QRect& rect, TGridDrawState state);
    static void DrawCellContent(QPainter& p, const QRect& rect, const QString& text, const TCellStyle& style,
                                const QColor& textColor);

protected:
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void scrollContentsBy(int dx, int dy) override;
    void keyPressEvent(QKeyEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    bool focusNextPrevChild(bool next) override;

private:
    friend class TInplaceEditEx;
    bool MoveCurrent(int col, int row, bool moveAnchor, bool checkSelect);
    bool MoveTo(int col, int row, bool extend); // clamped into the data cells
    QColor TextColorFor(TGridDrawState state, const TCellStyle& style) const;
    void EditorKey(QKeyEvent* e);   // keys the editor hands to the grid
    void EditorLostFocus();
    void CloseEditor(bool report);
    void UpdateEditorGeometry();
    void UpdateScrollBars();
    int MaxTopRow() const;
    int MaxLeftCol() const;
    int ColX(int col) const; // left edge in viewport coordinates, or INT_MIN when hidden
    int RowY(int row) const;
    int FixedWidth() const;
    int FixedHeight() const;
    int VLine() const; // width of the vertical grid lines (0 or 1)
    int HLine() const;
    int SizingColAt(const QPoint& pos) const; // column whose right border is under pos, or -1
    TGridDrawState StateOf(int col, int row) const;
    void PaintCell(QPainter& p, int col, int row, const QRect& r);
    bool ValidCell(int col, int row) const
    {
        return col >= 0 && row >= 0 && col < ColCount() && row < RowCount();
    }
    bool DataCell(int col, int row) const
    {
        return ValidCell(col, row) && col >= FixedCols() && row >= FixedRows();
    }

    std::vector<int> FColWidths, FRowHeights;
    int FFixedCols = 1, FFixedRows = 1;
    int FDefColWidth = 64, FDefRowHeight = 24;
    TGridOptions FOptions = kDefaultGridOptions;
    QColor FFixedColor, FCellColor;
    TGridCoord FCurrent{1, 1}, FAnchor{1, 1};
    bool FCurrentMoved = false; // until then the current cell follows the fixed counts
    int FTopRow = 1, FLeftCol = 1;
    bool FSyncingBars = false;
    bool FSelecting = false;
    int FSizingCol = -1, FSizingStartX = 0, FSizingStartW = 0;
    TInplaceEditEx* FEditor = nullptr;
    bool FEditing = false;
    bool FDestroying = false;
    TGridCoord FEditedCell{-1, -1};
};

// The grid's in-place editor: offers each typed character and each paste to
// OnChangeCell before it changes the text; Escape closes without a report.
class TInplaceEditEx : public QLineEdit
{
    Q_OBJECT
public:
    explicit TInplaceEditEx(TEnhDrawGrid* grid);
    TEnhDrawGrid* Grid() const { return FGrid; }
    // The text after inserting s in place of the selection (at the caret when none).
    QString ResultOfInsert(const QString& s) const;
    // Types s if OnChangeCell allows it; false when refused.
    bool TypeText(const QString& s);
    // Pastes the clipboard text (Clipboard() service) if OnChangeCell allows it; a text of several
    // lines pastes its first line.
    bool CheckedPaste();
    // The editor's context menu (owned by the caller): the standard one, with copy, cut and paste
    // going through the clipboard service and paste through the check.
    QMenu* CreateContextMenu();

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void inputMethodEvent(QInputMethodEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    bool focusNextPrevChild(bool next) override;

private:
    bool Allowed(const QString& result) const;
    TEnhDrawGrid* FGrid;
};

} // namespace rs
