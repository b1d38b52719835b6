// The table control: block copy format, how editing starts and ends, the
// keystroke and paste vetoes, the drawing hooks and big virtual tables.

#include "chartwin/EnhGrid.h"
#include "ui_support/FakeServicesScope.h"

#include <QElapsedTimer>
#include <QMenu>
#include <QLineEdit>
#include <QPainter>
#include <QVBoxLayout>
#include <QtTest>

using namespace rs;

namespace {

struct TEdit
{
    int Col, Row;
    QString Text;
};

// A grid of 5 columns by 20 rows (one fixed row and column) whose cells read "c<col>r<row>",
// with editing on and every report recorded.
class TGridFixture
{
public:
    TGridFixture()
    {
        Window.resize(400, 300);
        auto* lay = new QVBoxLayout(&Window);
        Grid = new TEnhDrawGrid(&Window);
        Other = new QLineEdit(&Window);
        lay->addWidget(Grid);
        lay->addWidget(Other);
        Grid->SetColCount(5);
        Grid->SetRowCount(20);
        Grid->SetDefaultColWidth(60);
        Grid->SetDefaultRowHeight(19);
        Grid->SetOption(goEditing, true);
        Grid->OnGetCellText = [](TEnhDrawGrid*, int c, int r, QString& t) { t = QString("c%1r%2").arg(c).arg(r); };
        Grid->OnEditedCell = [this](TEnhDrawGrid*, int c, int r, const QString& v) { Edits.push_back({c, r, v}); };
        Window.show();
        QVERIFY(QTest::qWaitForWindowActive(&Window));
        Grid->setFocus();
    }

    QPoint Center(int col, int row) const { return Grid->CellRect(col, row).center(); }
    void Click(int col, int row) { QTest::mouseClick(Grid->viewport(), Qt::LeftButton, {}, Center(col, row)); }
    void DoubleClick(int col, int row)
    {
        QTest::mouseDClick(Grid->viewport(), Qt::LeftButton, {}, Center(col, row));
    }
    QLineEdit* Editor() const { return Grid->InplaceEditor(); }

    TFakeServicesScope Fakes;
    QWidget Window;
    TEnhDrawGrid* Grid;
    QLineEdit* Other;
    std::vector<TEdit> Edits;
};

} // namespace

class TestEnhGrid : public QObject
{
    Q_OBJECT
private slots:
    void copiesBlocksAsTabSeparatedLinesEndingInCrLf();
    void copyWithoutTextCallbackLeavesTheClipboard();
    void singleClickSelectsAndDoubleClickEdits();
    void keysOpenTheEditor();
    void escapeClosesWithoutReportAndEnterReportsOnce();
    void leavingTheCellReportsTheEditedCell();
    void ownerCanRefuseEditing();
    void typedCharactersAndPastesAreVetoed();
    void backspaceAndEnterAlwaysPass();
    void enterHandlerCanMoveOnLikeTheSetDialog();
    void destroyingTheGridWhileEditingReportsNothing();
    void fixedCellsStayAndDoNotBecomeCurrent();
    void keyboardMovesAndExtendsTheSelection();
    void layoutFollowsWidthsAndHeights();
    void drawingHooksGetStateAndStyle();
    void tenThousandRowsPaintOnlyWhatIsVisible();
};

void TestEnhGrid::copiesBlocksAsTabSeparatedLinesEndingInCrLf()
{
    TGridFixture f;
    f.Grid->CopyCells({2, 3, 2, 3});
    QCOMPARE(f.Fakes.Clipboard.Text(), QString("c2r3\r\n"));

    f.Grid->CopyCells({2, 2, 3, 3});
    QCOMPARE(f.Fakes.Clipboard.Text(), QString("c2r2\tc3r2\r\nc2r3\tc3r3\r\n"));

    // Header texts come along when the block includes the fixed row; a reversed block is the same block.
    f.Grid->CopyCells({4, 1, 1, 0});
    QCOMPARE(f.Fakes.Clipboard.Text(), QString("c1r0\tc2r0\tc3r0\tc4r0\r\nc1r1\tc2r1\tc3r1\tc4r1\r\n"));

    // A block reaching past the grid copies the cells that exist.
    f.Grid->CopyCells({3, 18, 9, 40});
    QCOMPARE(f.Fakes.Clipboard.Text(), QString("c3r18\tc4r18\r\nc3r19\tc4r19\r\n"));

    f.Grid->SelectAll();
    f.Grid->CopySelection();
    const QStringList lines = f.Fakes.Clipboard.Text().split("\r\n");
    QCOMPARE(lines.size(), 21); // 20 lines and the empty rest after the last CR LF
    QCOMPARE(lines.first(), QString("c0r0\tc1r0\tc2r0\tc3r0\tc4r0"));
    QCOMPARE(lines.last(), QString());

    // Ctrl+C on the grid copies its selection.
    f.Grid->SetCurrent(1, 5);
    QTest::keyClick(f.Grid, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(f.Fakes.Clipboard.Text(), QString("c1r5\r\n"));
}

void TestEnhGrid::copyWithoutTextCallbackLeavesTheClipboard()
{
    TFakeServicesScope fakes;
    fakes.Clipboard.Preset("anterior");
    TEnhDrawGrid grid;
    grid.CopyCells({0, 0, 2, 2});
    QCOMPARE(fakes.Clipboard.Text(), QString("anterior"));
    QCOMPARE(fakes.Clipboard.SetCount(), 0);

    // Nor is anything put when the block yields no line.
    grid.OnGetCellText = [](TEnhDrawGrid*, int, int, QString& t) { t = "x"; };
    grid.SetRowCount(0);
    grid.CopyCells({0, 0, 2, 2});
    QCOMPARE(fakes.Clipboard.SetCount(), 0);
}

void TestEnhGrid::singleClickSelectsAndDoubleClickEdits()
{
    TGridFixture f;
    f.Click(2, 4);
    QCOMPARE(f.Grid->Col(), 2);
    QCOMPARE(f.Grid->Row(), 4);
    QVERIFY(!f.Grid->EditorMode());
    // A second single click on the current cell does not edit either.
    f.Click(2, 4);
    QVERIFY(!f.Grid->EditorMode());

    f.DoubleClick(3, 6);
    QVERIFY(f.Grid->EditorMode());
    QCOMPARE(f.Grid->EditedCell(), (TGridCoord{3, 6}));
    QCOMPARE(f.Editor()->text(), QString("c3r6"));
    QVERIFY(f.Editor()->hasFocus());
    QCOMPARE(f.Editor()->geometry(), f.Grid->CellRect(3, 6));
    QVERIFY(f.Edits.empty());

    // Without the editing option a double click only selects.
    f.Grid->CancelEditor();
    f.Grid->SetOption(goEditing, false);
    f.DoubleClick(1, 2);
    QVERIFY(!f.Grid->EditorMode());
    QCOMPARE(f.Grid->Row(), 2);
}

void TestEnhGrid::keysOpenTheEditor()
{
    TGridFixture f;
    f.Grid->SetCurrent(1, 1);
    QTest::keyClick(f.Grid, Qt::Key_F2);
    QVERIFY(f.Grid->EditorMode());
    f.Grid->CancelEditor();

    QTest::keyClick(f.Grid, Qt::Key_Return);
    QVERIFY(f.Grid->EditorMode());
    QCOMPARE(f.Editor()->text(), QString("c1r1"));
    f.Grid->CancelEditor();

    // Typing on a cell starts editing with the character in place of the text.
    QTest::keyClick(f.Grid, Qt::Key_7);
    QVERIFY(f.Grid->EditorMode());
    QCOMPARE(f.Editor()->text(), QString("7"));

    // The editor's first text may differ from the shown one.
    f.Grid->CancelEditor();
    f.Grid->OnGetEditText = [](TEnhDrawGrid*, int, int, QString& t) { t = "27.5"; };
    QTest::keyClick(f.Grid, Qt::Key_F2);
    QCOMPARE(f.Editor()->text(), QString("27.5"));
}

void TestEnhGrid::escapeClosesWithoutReportAndEnterReportsOnce()
{
    TGridFixture f;
    f.DoubleClick(2, 3);
    QTest::keyClicks(f.Editor(), "novo");
    QTest::keyClick(f.Editor(), Qt::Key_Escape);
    QVERIFY(!f.Grid->EditorMode());
    QVERIFY(f.Edits.empty());
    QVERIFY(f.Grid->hasFocus());
    // The Escape is consumed by the editor; the grid stays as it was.
    QCOMPARE(f.Grid->Row(), 3);

    // Shift+Escape does not close the editor.
    f.DoubleClick(2, 3);
    QTest::keyClick(f.Editor(), Qt::Key_Escape, Qt::ShiftModifier);
    QVERIFY(f.Grid->EditorMode());
    f.Editor()->selectAll();
    QTest::keyClicks(f.Editor(), "12");
    QTest::keyClick(f.Editor(), Qt::Key_Return);
    QVERIFY(!f.Grid->EditorMode());
    QCOMPARE(int(f.Edits.size()), 1);
    QCOMPARE(f.Edits[0].Col, 2);
    QCOMPARE(f.Edits[0].Row, 3);
    QCOMPARE(f.Edits[0].Text, QString("12"));
    // Closing left the focus on the grid; losing it now reports nothing more.
    QVERIFY(f.Grid->hasFocus());
    f.Other->setFocus();
    QCOMPARE(int(f.Edits.size()), 1);
}

void TestEnhGrid::leavingTheCellReportsTheEditedCell()
{
    TGridFixture f;
    f.DoubleClick(1, 2);
    QTest::keyClicks(f.Editor(), "a");
    f.Click(3, 5); // another cell
    QCOMPARE(int(f.Edits.size()), 1);
    QCOMPARE(f.Edits[0].Col, 1);
    QCOMPARE(f.Edits[0].Row, 2);
    QCOMPARE(f.Edits[0].Text, QString("a"));
    QCOMPARE(f.Grid->Row(), 5);
    QVERIFY(!f.Grid->EditorMode());

    f.DoubleClick(2, 2);
    QTest::keyClick(f.Editor(), Qt::Key_Down);
    QCOMPARE(int(f.Edits.size()), 2);
    QCOMPARE(f.Edits[1].Row, 2);
    QCOMPARE(f.Grid->Row(), 3);

    // The focus going to another control closes the editor with its report.
    f.DoubleClick(4, 4);
    QTest::keyClicks(f.Editor(), "z");
    f.Other->setFocus(Qt::MouseFocusReason);
    QVERIFY(!f.Grid->EditorMode());
    QCOMPARE(int(f.Edits.size()), 3);
    QCOMPARE(f.Edits[2].Col, 4);
    QCOMPARE(f.Edits[2].Text, QString("z"));
}

void TestEnhGrid::ownerCanRefuseEditing()
{
    TGridFixture f;
    QList<TGridCoord> asked;
    f.Grid->OnEditCell = [&](TEnhDrawGrid*, int c, int r, bool& allow) {
        asked << TGridCoord{c, r};
        allow = r <= 3;
    };
    f.DoubleClick(2, 5);
    QVERIFY(!f.Grid->EditorMode());
    QCOMPARE(asked.size(), 1);
    QCOMPARE(asked[0], (TGridCoord{2, 5}));
    QTest::keyClick(f.Grid, Qt::Key_F2);
    QVERIFY(!f.Grid->EditorMode());

    f.DoubleClick(2, 3);
    QVERIFY(f.Grid->EditorMode());
    QCOMPARE(f.Grid->EditedCell(), (TGridCoord{2, 3}));
}

void TestEnhGrid::typedCharactersAndPastesAreVetoed()
{
    TGridFixture f;
    QStringList offered;
    f.Grid->OnChangeCell = [&](TEnhDrawGrid* g, int c, int r, const QString& v, bool& allow) {
        QCOMPARE(c, g->Col());
        QCOMPARE(r, g->Row());
        offered << v;
        allow = !v.isEmpty() && std::all_of(v.begin(), v.end(), [](QChar ch) { return ch.isDigit(); });
    };
    f.DoubleClick(1, 1);
    f.Editor()->setText("12");
    f.Editor()->setCursorPosition(1);
    QTest::keyClick(f.Editor(), Qt::Key_A);
    QCOMPARE(f.Editor()->text(), QString("12"));
    QCOMPARE(offered.last(), QString("1a2")); // the character at the caret
    QTest::keyClick(f.Editor(), Qt::Key_5);
    QCOMPARE(f.Editor()->text(), QString("152"));

    // The selection is replaced in the text offered.
    f.Editor()->setSelection(0, 2);
    QTest::keyClick(f.Editor(), Qt::Key_9);
    QCOMPARE(offered.last(), QString("92"));
    QCOMPARE(f.Editor()->text(), QString("92"));

    // Paste offers the text that would result and happens only when allowed.
    f.Fakes.Clipboard.Preset("3a");
    f.Editor()->setCursorPosition(2);
    QTest::keyClick(f.Editor(), Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(offered.last(), QString("923a"));
    QCOMPARE(f.Editor()->text(), QString("92"));
    f.Fakes.Clipboard.Preset("34\r\n");
    QTest::keyClick(f.Editor(), Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(f.Editor()->text(), QString("9234"));

    // The context menu's paste goes through the same check.
    std::unique_ptr<QMenu> menu(f.Grid->InplaceEditor()->CreateContextMenu());
    QAction* paste = nullptr;
    for (QAction* a : menu->actions())
        if (a->objectName() == "edit-paste")
            paste = a;
    QVERIFY(paste);
    f.Fakes.Clipboard.Preset("x");
    paste->trigger();
    QCOMPARE(f.Editor()->text(), QString("9234"));
    f.Fakes.Clipboard.Preset("5");
    paste->trigger();
    QCOMPARE(f.Editor()->text(), QString("92345"));

    // Typing a letter on the closed grid opens the editor but the letter is dropped.
    QTest::keyClick(f.Editor(), Qt::Key_Return);
    QTest::keyClick(f.Grid, Qt::Key_X);
    QVERIFY(f.Grid->EditorMode());
    QCOMPARE(f.Editor()->text(), QString("c1r1"));
}

void TestEnhGrid::backspaceAndEnterAlwaysPass()
{
    TGridFixture f;
    int asked = 0;
    f.Grid->OnChangeCell = [&](TEnhDrawGrid*, int, int, const QString&, bool& allow) {
        ++asked;
        allow = false;
    };
    f.DoubleClick(1, 1);
    f.Editor()->setCursorPosition(4);
    QTest::keyClick(f.Editor(), Qt::Key_Backspace);
    QCOMPARE(f.Editor()->text(), QString("c1r"));
    QTest::keyClick(f.Editor(), Qt::Key_Return);
    QCOMPARE(asked, 0);
    QCOMPARE(int(f.Edits.size()), 1);
    QCOMPARE(f.Edits[0].Text, QString("c1r"));
}

void TestEnhGrid::enterHandlerCanMoveOnLikeTheSetDialog()
{
    TGridFixture f;
    // Enter while editing column 1 goes to column 2 of the row, from column 2 to column 1 of the next row.
    f.Grid->OnKeyDown = [](TEnhDrawGrid* g, QKeyEvent* e, bool& handled) {
        if (!g->EditorMode() || (e->key() != Qt::Key_Return && e->key() != Qt::Key_Enter))
            return;
        if (g->Col() == 1)
            g->SetCol(2);
        else
            g->SetCurrent(1, std::min(g->Row() + 1, g->RowCount() - 1));
        handled = true;
    };
    f.DoubleClick(1, 4);
    f.Editor()->setText("7");
    QTest::keyClick(f.Editor(), Qt::Key_Return);
    QCOMPARE(f.Grid->Col(), 2);
    QCOMPARE(f.Grid->Row(), 4);
    QCOMPARE(int(f.Edits.size()), 1);
    QCOMPARE(f.Edits[0].Col, 1);
    QCOMPARE(f.Edits[0].Text, QString("7"));

    QTest::keyClick(f.Grid, Qt::Key_F2);
    f.Editor()->setText("0");
    QTest::keyClick(f.Editor(), Qt::Key_Enter);
    QCOMPARE(f.Grid->Col(), 1);
    QCOMPARE(f.Grid->Row(), 5);
    QCOMPARE(int(f.Edits.size()), 2);
    QCOMPARE(f.Edits[1].Col, 2);
    QCOMPARE(f.Edits[1].Row, 4);
}

void TestEnhGrid::destroyingTheGridWhileEditingReportsNothing()
{
    TGridFixture f;
    f.DoubleClick(1, 1);
    QTest::keyClicks(f.Editor(), "x");
    delete f.Grid;
    QVERIFY(f.Edits.empty());
}

void TestEnhGrid::fixedCellsStayAndDoNotBecomeCurrent()
{
    TGridFixture f;
    f.Grid->SetCurrent(2, 3);
    QList<QPair<QString, TGridCoord>> mouse;
    f.Grid->OnMouseDown = [&](TEnhDrawGrid* g, Qt::MouseButton, Qt::KeyboardModifiers, const QPoint& p) {
        mouse << qMakePair(QString("down"), g->MouseToCell(p));
    };
    f.Grid->OnMouseUp = [&](TEnhDrawGrid* g, Qt::MouseButton, Qt::KeyboardModifiers, const QPoint& p) {
        mouse << qMakePair(QString("up"), g->MouseToCell(p));
    };
    f.Click(0, 5);
    QCOMPARE(f.Grid->Row(), 3); // unchanged
    QCOMPARE(mouse.size(), 2);
    QCOMPARE(mouse[0].second, (TGridCoord{0, 5}));
    QCOMPARE(mouse[1].first, QString("up"));
    QCOMPARE(f.Grid->SetCurrent(0, 4), false);
    QCOMPARE(f.Grid->SetCurrent(2, 0), false);

    // Scrolling keeps the fixed row and column in place.
    const QRect header = f.Grid->CellRect(2, 0);
    f.Grid->SetTopRow(8);
    QCOMPARE(f.Grid->TopRow(), 8);
    QCOMPARE(f.Grid->CellRect(2, 0), header);
    QVERIFY(f.Grid->CellRect(2, 5).isEmpty());
    QCOMPARE(f.Grid->CellRect(2, 8).top(), header.bottom() + 2);
    QCOMPARE(f.Grid->MouseToCell(f.Grid->CellRect(2, 10).center()), (TGridCoord{2, 10}));
    // Not beyond the row that shows the last one at the bottom.
    f.Grid->SetTopRow(19);
    QVERIFY(f.Grid->TopRow() < 19);
    QVERIFY(!f.Grid->CellRect(2, 19).isEmpty());
    QVERIFY(f.Grid->CellRect(2, 19).bottom() < f.Grid->viewport()->height());
    QCOMPARE(f.Grid->MouseToCell(QPoint(-1, 5)), (TGridCoord{-1, -1}));

    // The owner may refuse a cell.
    f.Grid->OnSelectCell = [](TEnhDrawGrid*, int, int r, bool& can) { can = r != 12; };
    QVERIFY(!f.Grid->SetCurrent(1, 12));
    QVERIFY(f.Grid->SetCurrent(1, 13));
}

void TestEnhGrid::keyboardMovesAndExtendsTheSelection()
{
    TGridFixture f;
    f.Grid->SetCurrent(1, 1);
    QTest::keyClick(f.Grid, Qt::Key_Down);
    QTest::keyClick(f.Grid, Qt::Key_Right);
    QCOMPARE(f.Grid->Col(), 2);
    QCOMPARE(f.Grid->Row(), 2);
    QTest::keyClick(f.Grid, Qt::Key_Down, Qt::ShiftModifier);
    QTest::keyClick(f.Grid, Qt::Key_Right, Qt::ShiftModifier);
    QCOMPARE(f.Grid->Selection(), (TGridRect{2, 2, 3, 3}));
    QTest::keyClick(f.Grid, Qt::Key_Up);
    QCOMPARE(f.Grid->Selection(), (TGridRect{3, 2, 3, 2}));

    QTest::keyClick(f.Grid, Qt::Key_End, Qt::ControlModifier);
    QCOMPARE(f.Grid->Row(), 19);
    QVERIFY(!f.Grid->CellRect(3, 19).isEmpty()); // scrolled into view
    QTest::keyClick(f.Grid, Qt::Key_Home, Qt::ControlModifier);
    QCOMPARE(f.Grid->Row(), 1);
    QTest::keyClick(f.Grid, Qt::Key_Up); // never into the fixed row
    QCOMPARE(f.Grid->Row(), 1);
    QTest::keyClick(f.Grid, Qt::Key_Home);
    QCOMPARE(f.Grid->Col(), 1);

    // Dragging selects a block.
    QTest::mousePress(f.Grid->viewport(), Qt::LeftButton, {}, f.Center(1, 2));
    QTest::mouseMove(f.Grid->viewport(), f.Center(2, 3));
    QTest::mouseMove(f.Grid->viewport(), f.Center(3, 4));
    QTest::mouseRelease(f.Grid->viewport(), Qt::LeftButton, {}, f.Center(3, 4));
    QCOMPARE(f.Grid->Selection(), (TGridRect{1, 2, 3, 4}));
    QTest::mouseClick(f.Grid->viewport(), Qt::LeftButton, Qt::ShiftModifier, f.Center(4, 6));
    QCOMPARE(f.Grid->Selection(), (TGridRect{1, 2, 4, 6}));
    f.Grid->SetCurrent(1, 1);

    // Without range selection Shift only moves.
    f.Grid->SetOption(goRangeSelect, false);
    QTest::keyClick(f.Grid, Qt::Key_Down, Qt::ShiftModifier);
    QCOMPARE(f.Grid->Selection(), (TGridRect{1, 2, 1, 2}));
}

void TestEnhGrid::layoutFollowsWidthsAndHeights()
{
    TEnhDrawGrid grid;
    grid.resize(300, 300);
    grid.SetColCount(5);
    grid.SetRowCount(16);
    grid.SetFixedCols(0);
    const int widths[] = {13, 77, 40, 36, 48};
    for (int c = 0; c < 5; ++c)
        grid.SetColWidth(c, widths[c]);
    grid.SetDefaultRowHeight(50);
    grid.SetRowHeight(0, 70);
    QCOMPARE(grid.LeftCol(), 0);
    QCOMPARE(grid.CellRect(0, 0), QRect(0, 0, 13, 70));
    QCOMPARE(grid.CellRect(1, 0), QRect(14, 0, 77, 70)); // one pixel of grid line between cells
    QCOMPARE(grid.CellRect(3, 1), QRect(14 + 78 + 41, 71, 36, 50));
    grid.SetOptions(0); // no grid lines: cells touch
    QCOMPARE(grid.CellRect(1, 1), QRect(13, 70, 77, 50));
    QCOMPARE(grid.CellRect(7, 1), QRect()); // no such cell
    QCOMPARE(grid.Col(), 0); // a new grid without fixed column starts on the first column

    // Columns are sized by dragging their border in the fixed row.
    grid.SetOptions(kDefaultGridOptions | goColSizing);
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    int resized = -1;
    grid.OnColResized = [&](TEnhDrawGrid*, int c) { resized = c; };
    const QRect r1 = grid.CellRect(1, 0);
    const QPoint border(r1.right() + 1, r1.center().y());
    QTest::mousePress(grid.viewport(), Qt::LeftButton, {}, border);
    QTest::mouseMove(grid.viewport(), border + QPoint(20, 0));
    QTest::mouseRelease(grid.viewport(), Qt::LeftButton, {}, border + QPoint(20, 0));
    QCOMPARE(grid.ColWidth(1), 97);
    QCOMPARE(resized, 1);
    // The same drag among the data rows selects instead.
    const QPoint below(border.x(), grid.CellRect(1, 2).center().y());
    QTest::mousePress(grid.viewport(), Qt::LeftButton, {}, below);
    QTest::mouseMove(grid.viewport(), below + QPoint(20, 0));
    QTest::mouseRelease(grid.viewport(), Qt::LeftButton, {}, below + QPoint(20, 0));
    QCOMPARE(grid.ColWidth(1), 97);
}

void TestEnhGrid::drawingHooksGetStateAndStyle()
{
    TGridFixture f;
    f.Grid->SetSelection({1, 2, 2, 3});
    QMap<QPair<int, int>, TGridDrawState> states;
    f.Grid->OnGetCellStyle = [&](TEnhDrawGrid*, int c, int r, TGridDrawState s, TCellStyle& style) {
        states[{c, r}] = s;
        if (c == 4 && r >= 1) {
            style.TextColor = Qt::red;
            style.Bold = true;
            style.Align = Qt::AlignRight | Qt::AlignTop;
            style.Margins = QMargins(0, 1, 4, 0);
        }
        if (c == 3 && r == 1) {
            QPixmap arrow(6, 11);
            arrow.fill(Qt::blue);
            style.Picture = arrow;
            style.ShowText = false;
        }
    };
    const QImage img = f.Grid->viewport()->grab().toImage();
    QCOMPARE(states[qMakePair(2, 0)], TGridDrawState(gdFixed));
    QCOMPARE(states[qMakePair(0, 3)], TGridDrawState(gdFixed));
    QVERIFY(states[qMakePair(1, 2)] & gdSelected);
    QVERIFY(states[qMakePair(2, 3)] & gdSelected);
    QVERIFY(!(states[qMakePair(3, 3)] & gdSelected));

    auto countColor = [&](const QRect& r, auto pred) {
        int n = 0;
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                n += pred(img.pixelColor(x, y)) ? 1 : 0;
        return n;
    };
    auto reddish = [](const QColor& c) { return c.red() > 150 && c.green() < 100 && c.blue() < 100; };
    const QRect total = f.Grid->CellRect(4, 2);
    QVERIFY(countColor(total, reddish) > 0);
    // Right-aligned: the text ends near the right margin, the left half stays clear.
    QCOMPARE(countColor(QRect(total.left(), total.top(), total.width() / 3, total.height()), reddish), 0);
    // The picture, centred, instead of the text.
    const QRect pic = f.Grid->CellRect(3, 1);
    const int blue = countColor(pic, [](const QColor& c) { return c == QColor(Qt::blue); });
    QCOMPARE(blue, 6 * 11);

    // A full owner drawing replaces the content and may call the default one.
    int drawn = 0;
    f.Grid->OnDrawCell = [&](TEnhDrawGrid* g, int c, int r, const QRect& rect, TGridDrawState s, QPainter& p) {
        ++drawn;
        g->DefaultDrawCell(p, c, r, rect, s);
        p.drawLine(rect.topLeft(), rect.topRight());
    };
    f.Grid->viewport()->grab();
    QVERIFY(drawn >= 5 * 10);
}

void TestEnhGrid::tenThousandRowsPaintOnlyWhatIsVisible()
{
    TFakeServicesScope fakes;
    TEnhDrawGrid grid;
    grid.resize(300, 400);
    grid.SetColCount(5);
    grid.SetDefaultRowHeight(19);
    QElapsedTimer timer;
    timer.start();
    grid.SetRowCount(10001);
    int asked = 0;
    int maxRow = 0;
    grid.OnGetCellText = [&](TEnhDrawGrid*, int c, int r, QString& t) {
        ++asked;
        maxRow = std::max(maxRow, r);
        t = QString::number(r * 10 + c);
    };
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    asked = 0;
    grid.viewport()->grab();
    QVERIFY(asked > 0);
    QVERIFY(asked < 5 * 40);
    QVERIFY(maxRow < 40);

    asked = 0;
    grid.SetCurrent(1, 10000);
    QVERIFY(!grid.CellRect(1, 10000).isEmpty());
    QVERIFY(grid.TopRow() > 9970);
    grid.viewport()->grab();
    QVERIFY(asked < 5 * 40);
    QCOMPARE(maxRow, 10000);

    // Copying all of it still gives every line.
    grid.SelectAll();
    grid.CopySelection();
    QCOMPARE(fakes.Clipboard.Text().count("\r\n"), 10001);
    QVERIFY2(timer.elapsed() < 3000, qPrintable(QString::number(timer.elapsed())));
}

QTEST_MAIN(TestEnhGrid)
#include "tst_EnhGrid.moc"
