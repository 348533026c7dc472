// The pane layout in the window: after resizes the panes tile the client area with no
// negative size, and dragging a pane's border rearranges its neighbours.
#include <QResizeEvent>
#include <QTest>
#include <QTreeWidget>

#include "app/browse/database_tree_pane.h"
#include "app/workspace/pane_area.h"
#include "app/workspace/pane_window.h"
#include "app/workspace/script_editor.h"
#include "app/workspace/twips.h"
#include "gui_support.h"

namespace tessel::test::gui {
namespace {

using app::Pane;

class LayoutTest : public MainWindowTest {
  protected:
    QRect Geometry(Pane pane) { return Window().Panes().Window(pane)->geometry(); }
    int Gap() { return app::TwipsToPixels(app::kPaneGapTwips, Window().Panes().logicalDpiX()); }

    void ExpectTiled() {
        const QSize area = Window().Panes().size();
        const QRect tree = Geometry(Pane::Tree);
        const QRect editor = Geometry(Pane::Editor);
        const QRect list = Geometry(Pane::List);
        const QRect view = Geometry(Pane::View);
        EXPECT_EQ(tree.topLeft(), QPoint(0, 0));
        EXPECT_EQ(editor.left(), 0);
        EXPECT_EQ(editor.top(), tree.top() + tree.height());
        EXPECT_EQ(editor.top() + editor.height(), area.height());
        EXPECT_EQ(list.top(), 0);
        EXPECT_EQ(list.left(), editor.width());
        EXPECT_EQ(view.left(), editor.width());
        EXPECT_EQ(list.left() + list.width(), area.width());
        EXPECT_EQ(view.top(), list.height());
        EXPECT_EQ(view.top() + view.height(), area.height());
    }

    void ExpectNoNegativeSize() {
        for (Pane pane : {Pane::Tree, Pane::Editor, Pane::List, Pane::View}) {
            EXPECT_GE(Geometry(pane).width(), 0);
            EXPECT_GE(Geometry(pane).height(), 0);
            EXPECT_GE(Window().Panes().Window(pane)->InnerRect().width(), 0);
            EXPECT_GE(Window().Panes().Window(pane)->InnerRect().height(), 0);
        }
    }
};

TEST_F(LayoutTest, AfterStartThePanesTileTheClientArea) {
    ExpectTiled();
    EXPECT_EQ(Std(Window().Panes().Window(Pane::Tree)->objectName()), "vttables");
    EXPECT_EQ(Std(Window().Panes().Window(Pane::Editor)->objectName()), "textSQL");
    EXPECT_EQ(Std(Window().Panes().Window(Pane::List)->objectName()), "recordsets");
    EXPECT_EQ(Std(Window().Panes().Window(Pane::View)->objectName()), "resultset");
    // The editor's text box fills its pane's client area.
    EXPECT_EQ(Window().Editor().TextBox()->size(),
              Window().Panes().Window(Pane::Editor)->InnerRect().size());
}

TEST_F(LayoutTest, ResizingTheWindowKeepsThePanesTiled) {
    Window().resize(1200, 850);
    Settle();
    ExpectTiled();
    Window().resize(900, 600);
    Settle();
    ExpectTiled();
    ExpectNoNegativeSize();
}

TEST_F(LayoutTest, TheWindowCannotBeShrunkUntilAPaneIsAStrip) {
    Window().setMinimumSize(0, 0);
    Window().resize(220, 160);
    Settle();
    ExpectNoNegativeSize();
    ExpectTiled();
    const QSize least(
        app::TwipsToPixels(app::kLeastPaneWidthTwips, Window().Panes().logicalDpiX()),
        app::TwipsToPixels(app::kLeastPaneHeightTwips, Window().Panes().logicalDpiY()));
    for (Pane pane : {Pane::Tree, Pane::Editor, Pane::List, Pane::View}) {
        EXPECT_GE(Geometry(pane).width(), least.width() - 1) << static_cast<int>(pane);
        EXPECT_GE(Geometry(pane).height(), least.height() - Gap() - 1) << static_cast<int>(pane);
    }
    Window().resize(1000, 700);
    Settle();
    ExpectNoNegativeSize();
    ExpectTiled();
}

// Drags a pane's border by `delta` pixels, as a person does with the mouse.
void DragBorder(QWidget* pane, const QPoint& grip, const QPoint& delta) {
    QTest::mousePress(pane, Qt::LeftButton, Qt::NoModifier, grip);
    const QPointF to = grip + delta;
    QMouseEvent move(QEvent::MouseMove, to, pane->mapToGlobal(to), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(pane, &move);
    QTest::mouseRelease(pane, Qt::LeftButton, Qt::NoModifier, grip + delta);
}

TEST_F(LayoutTest, NoBorderCanBeDraggedUntilAPaneIsAStrip) {
    const QSize least(
        app::TwipsToPixels(app::kLeastPaneWidthTwips, Window().Panes().logicalDpiX()),
        app::TwipsToPixels(app::kLeastPaneHeightTwips, Window().Panes().logicalDpiY()));
    app::PaneWindow* editor = Window().Panes().Window(Pane::Editor);
    // The editor's top border dragged far up stops where the tree keeps its least height.
    DragBorder(editor, QPoint(editor->width() / 2, 1), QPoint(0, -2000));
    Settle();
    EXPECT_GE(Geometry(Pane::Tree).height(), least.height() - Gap() - 1);
    ExpectTiled();
    // ... and far down, where the editor keeps its own.
    DragBorder(editor, QPoint(editor->width() / 2, 1), QPoint(0, 2000));
    Settle();
    EXPECT_GE(Geometry(Pane::Editor).height(), least.height() - 1);
    ExpectTiled();
    // The list's left border dragged far to the left leaves the left panes their least width.
    app::PaneWindow* list = Window().Panes().Window(Pane::List);
    DragBorder(list, QPoint(1, list->height() / 2), QPoint(-3000, 0));
    Settle();
    EXPECT_GE(Geometry(Pane::Editor).width(), least.width() - Gap() - 1);
    EXPECT_GE(Geometry(Pane::List).width(), least.width());
    ExpectTiled();
}

TEST_F(LayoutTest, DraggingTheEditorsTopBorderUpShortensTheTree) {
    app::PaneWindow* editor = Window().Panes().Window(Pane::Editor);
    const QRect before = editor->geometry();
    const int treeHeightBefore = Geometry(Pane::Tree).height();
    const QPoint grip(before.width() / 2, 1);
    QTest::mousePress(editor, Qt::LeftButton, Qt::NoModifier, grip);
    QMouseEvent move(QEvent::MouseMove, QPointF(grip.x(), grip.y() - 60),
                     editor->mapToGlobal(QPointF(grip.x(), grip.y() - 60)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(editor, &move);
    QTest::mouseRelease(editor, Qt::LeftButton, Qt::NoModifier, QPoint(grip.x(), grip.y() - 60));
    Settle();
    EXPECT_EQ(Geometry(Pane::Editor).height(), before.height() + 60);
    EXPECT_EQ(Geometry(Pane::Tree).height(), treeHeightBefore - 60);
    const int mainHeight = Window().Panes().height();
    EXPECT_EQ(Geometry(Pane::Tree).height(),
              mainHeight - Window().Panes().Window(Pane::Editor)->InnerRect().height() - Gap());
    ExpectTiled();
}

TEST_F(LayoutTest, WideningTheEditorMovesBothRightPanes) {
    app::PaneWindow* editor = Window().Panes().Window(Pane::Editor);
    QRect wider = editor->geometry();
    wider.setWidth(wider.width() + 80);
    editor->setGeometry(wider);
    Settle();
    const int left = editor->InnerRect().width() + Gap();
    EXPECT_EQ(Geometry(Pane::List).left(), left);
    EXPECT_EQ(Geometry(Pane::View).left(), left);
    EXPECT_EQ(Geometry(Pane::List).width(), Window().Panes().width() - left);
    ExpectTiled();
}

TEST_F(LayoutTest, MinimisingAndRestoringLeavesThePanesWhereTheyWere) {
    ExpectTiled();
    const QRect editor = Geometry(Pane::Editor);
    Window().Panes().MainWindowResized(app::kWindowMinimised);
    Window().Panes().MainWindowResized(app::kWindowNormal);
    EXPECT_EQ(Geometry(Pane::Editor), editor);
}

}  // namespace
}  // namespace tessel::test::gui
