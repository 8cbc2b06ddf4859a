// What only the Qt tree view has: icons drawn from the image list, a widget
// of the host's, and the lives of the view and the widget.
#include <QApplication>
#include <QLineEdit>
#include <QPainter>
#include <QPixmapCache>
#include <gtest/gtest.h>

#include <stdexcept>

#include "adapters/qt/qt_icons.h"
#include "adapters/qt/qt_tree_view.h"
#include "adapters/qt/tests/recording_listener.h"
#include "adapters/qt/tests/tree_subjects.h"
#include "manager/hidden_form.h"
#include "manager/style_manager.h"
#include "testing/recording_handler.h"
#include "testing/error_number.h"

namespace qt_tests {
namespace {

using testing_support::errorNumberOf;

// A picture of one colour.
rt::Ref<rt::Picture> plain(rt::Rgb colour, int size = 16) {
    auto picture = rt::make<rt::Picture>(rt::PictureType::Bitmap, size, size);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) picture->setPixel(x, y, colour);
    return picture;
}

// The colour that an icon shows in the middle, at 16 pixels; 0 for none.
QRgb middleOf(const QIcon& icon) {
    if (icon.isNull()) return 0;
    return icon.pixmap(QSize(16, 16)).toImage().pixel(8, 8);
}

constexpr QRgb Red = 0xffff0000;
constexpr QRgb Green = 0xff00ff00;
constexpr QRgb Blue = 0xff0000ff;

class QtTreeViewTest : public ::testing::Test {
protected:
    rt::Ref<tree::ImageList> listOf(std::initializer_list<std::pair<const char*, rt::Rgb>> pictures) {
        auto list = rt::make<tree::ImageList>();
        for (auto [key, colour] : pictures) list->ListImages()->Add(rt::Missing{}, key, plain(colour));
        return list;
    }
    rt::Ref<tree::TreeNode> addRoot(const std::string& key, const rt::Variant& image = rt::Missing{}) {
        return subject.tree().Nodes()->Add(rt::Missing{}, rt::Missing{}, key, "text " + key, image);
    }
    QRgb shownBy(const rt::Ref<tree::TreeNode>& node) { return middleOf(subject.view->itemOf(node)->icon(0)); }

    QtSubject subject;
};

TEST_F(QtTreeViewTest, NodesShowThePictureOfTheViewsListUnderTheirImageKey) {
    auto first = listOf({{"chkoff", 0xff0000}, {"chkon", 0x00ff00}});
    subject.tree().SetImageList(first);
    auto a = addRoot("A", "chkoff");
    auto b = addRoot("B", "CHKON");
    auto c = addRoot("C", int32_t{2});
    auto plainNode = addRoot("D");
    EXPECT_EQ(shownBy(a), Red);
    EXPECT_EQ(shownBy(b), Green) << "keys are found without regard to case";
    EXPECT_EQ(shownBy(c), Green) << "a list position";
    EXPECT_TRUE(subject.view->itemOf(plainNode)->icon(0).isNull());

    a->setImage("chkon");
    EXPECT_EQ(shownBy(a), Green);

    // Another list: every node shows that list's picture for its key, and
    // nothing for a key that the list lacks, until the list gets it.
    auto second = listOf({{"chkon", 0x0000ff}});
    subject.tree().SetImageList(second);
    EXPECT_EQ(shownBy(a), Blue);
    EXPECT_EQ(shownBy(b), Blue);
    EXPECT_EQ(middleOf(subject.view->itemOf(c)->icon(0)), 0u) << "the new list has no second picture";
    second->ListImages()->Add(rt::Missing{}, "extra", plain(0xff0000));
    EXPECT_EQ(shownBy(c), Red);
    subject.tree().SetImageList(nullptr);
    EXPECT_TRUE(subject.view->itemOf(a)->icon(0).isNull());
    subject.tree().SetImageList(first);
    EXPECT_EQ(shownBy(a), Green) << "the keys stayed";
}

// Qt's own icons leave a text behind in its global pixmap cache for every
// pixmap that they are drawn with, and never forget it; a tree that is filled
// and Refreshed again and again makes new pictures each time. The view's icons
// draw, selected and disabled too, without that cache, and leave what the
// host keeps there alone.
TEST_F(QtTreeViewTest, IconsDrawWithoutQtsPixmapCache) {
    QPixmapCache::clear();
    const int limit = QPixmapCache::cacheLimit();
    QPixmapCache::setCacheLimit(1);  // kilobytes: any pixmap of 16 x 16 that goes in pushes the host's out
    const QPixmapCache::Key hosts = QPixmapCache::insert(QPixmap(4, 4));
    subject.tree().SetImageList(listOf({{"chkoff", 0xff0000}}));
    auto node = addRoot("a", "chkoff");
    const QIcon icon = subject.view->itemOf(node)->icon(0);
    QImage drawn(64, 16, QImage::Format_ARGB32);
    drawn.fill(Qt::transparent);
    {
        QPainter painter(&drawn);
        icon.paint(&painter, QRect(0, 0, 16, 16), Qt::AlignCenter, QIcon::Normal);
        icon.paint(&painter, QRect(16, 0, 16, 16), Qt::AlignCenter, QIcon::Selected);
        icon.paint(&painter, QRect(32, 0, 16, 16), Qt::AlignCenter, QIcon::Disabled);
        icon.paint(&painter, QRect(48, 0, 8, 8), Qt::AlignCenter, QIcon::Normal);
    }
    subject.tree().SetImageList(listOf({{"chkoff", 0x00ff00}}));
    QPixmap found;
    EXPECT_TRUE(QPixmapCache::find(hosts, &found)) << "the icons put nothing into the cache and emptied none";
    QPixmapCache::setCacheLimit(limit);

    EXPECT_EQ(drawn.pixel(8, 8), Red);
    EXPECT_NE(drawn.pixel(24, 8), 0u) << "selected";
    EXPECT_NE(drawn.pixel(40, 8), 0u) << "disabled";
    EXPECT_NE(drawn.pixel(40, 8), Red) << "disabled looks greyed";
    EXPECT_EQ(drawn.pixel(52, 4), Red) << "shrunk into a smaller place";
    EXPECT_EQ(shownBy(node), Green);
}

TEST_F(QtTreeViewTest, PicturesStayCrisp) {
    // A chequer board with a transparent corner.
    auto chequer = rt::make<rt::Picture>(rt::PictureType::Bitmap, 16, 16);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) chequer->setPixel(x, y, (x + y) % 2 ? 0x000000 : 0xffffff);
    chequer->clearPixel(0, 0);
    const QIcon icon = qt_tree::iconOf(*chequer);
    const QImage at16 = icon.pixmap(QSize(16, 16)).toImage().convertToFormat(QImage::Format_ARGB32);
    const QImage at32 = icon.pixmap(QSize(32, 32)).toImage().convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(at16.size(), QSize(16, 16));
    ASSERT_EQ(at32.size(), QSize(32, 32));
    EXPECT_EQ(qAlpha(at16.pixel(0, 0)), 0);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            if (x == 0 && y == 0) continue;
            const QRgb expected = (x + y) % 2 ? 0xff000000 : 0xffffffff;
            ASSERT_EQ(at16.pixel(x, y), expected) << x << ", " << y;
            // Each pixel becomes a block of four, without blending.
            for (int dy = 0; dy < 2; ++dy)
                for (int dx = 0; dx < 2; ++dx) ASSERT_EQ(at32.pixel(2 * x + dx, 2 * y + dy), expected) << x << ", " << y;
        }
    // Large art keeps its own pixels where the screen has room for them.
    const QImage big = qt_tree::iconOf(*plain(0x123456, 32)).pixmap(QSize(32, 32)).toImage();
    EXPECT_EQ(big.size(), QSize(32, 32));
    EXPECT_EQ(big.pixel(31, 31), 0xff123456);
}

TEST_F(QtTreeViewTest, TheWidgetGetsUniformRowsPictureSizedIconsAndNoSorting) {
    QTreeWidget host;
    host.setSortingEnabled(true);  // would put nodes out of the order of adding
    qt_tree::QtTreeView* views[] = {subject.view.get(), nullptr};
    auto wrapped = rt::make<qt_tree::QtTreeView>(&host);
    views[1] = wrapped.get();
    for (auto* view : views) {
        EXPECT_TRUE(view->widget()->uniformRowHeights());
        EXPECT_EQ(view->widget()->iconSize(), QSize(16, 16));
        EXPECT_TRUE(view->widget()->viewport()->hasMouseTracking());
        EXPECT_FALSE(view->widget()->isSortingEnabled());
    }
    EXPECT_EQ(errorNumberOf([] { qt_tree::QtTreeView nothing(nullptr); }), 5);
}

TEST_F(QtTreeViewTest, LabelEditDecidesWhetherTheUserMayEditTexts) {
    QTreeWidget* widget = subject.widget();
    EXPECT_EQ(widget->editTriggers(), QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed);
    subject.tree().setLabelEdit(1);
    EXPECT_EQ(widget->editTriggers(), QAbstractItemView::NoEditTriggers);
    subject.tree().setLabelEdit(0);

    // The user renames a node: the node has the new text.
    auto a = addRoot("A");
    a->setSelected(rt::True16);
    widget->setFocus();
    QTest::keyClick(widget, Qt::Key_F2);
    auto* editor = widget->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr) << "the edit key opens an editor";
    editor->selectAll();
    QTest::keyClicks(editor, QStringLiteral("Renamed"));
    QTest::keyClick(editor, Qt::Key_Return);
    QApplication::processEvents();  // the editor hands its text over later
    EXPECT_EQ(a->Text(), "Renamed");
    // A host that sets the item's text itself.
    subject.view->itemOf(a)->setText(0, QStringLiteral("by the host"));
    EXPECT_EQ(a->Text(), "by the host");
    subject.checkInvariants();

    QTreeWidget host;
    host.setEditTriggers(QAbstractItemView::NoEditTriggers);
    EXPECT_EQ(rt::make<qt_tree::QtTreeView>(&host)->LabelEdit(), 1) << "a host's widget keeps its setting";
}

TEST_F(QtTreeViewTest, TheToolTipIsTheWidgets) {
    subject.tree().setToolTipText("ours");
    EXPECT_EQ(subject.widget()->toolTip(), "ours");
    subject.widget()->setToolTip(QStringLiteral("the host's"));
    EXPECT_EQ(subject.tree().ToolTipText(), "the host's");
}

TEST_F(QtTreeViewTest, ItemsAndNodesFindEachOther) {
    auto a = addRoot("A");
    QTreeWidgetItem* item = subject.view->itemOf(a);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->text(0), "text A");
    EXPECT_TRUE(rt::sameObject(subject.view->nodeOf(item), a));

    QTreeWidgetItem foreign;
    EXPECT_FALSE(subject.view->nodeOf(&foreign));
    EXPECT_FALSE(subject.view->nodeOf(nullptr));
    MemorySubject memory;
    auto memoryNode = memory.tree().Nodes()->Add(rt::Missing{}, rt::Missing{}, "A", "x", rt::Missing{});
    EXPECT_EQ(subject.view->itemOf(memoryNode), nullptr);
    QtSubject other;
    EXPECT_EQ(other.view->itemOf(a), nullptr);
    EXPECT_FALSE(other.view->nodeOf(item));
    subject.tree().Nodes()->Clear();
    EXPECT_EQ(subject.view->itemOf(a), nullptr);
}

// Items that a host puts into the widget itself are no nodes.
TEST_F(QtTreeViewTest, TheHostsOwnItemsAreNoNodes) {
    auto a = addRoot("A");
    auto* own = new QTreeWidgetItem(subject.widget(), QStringList(QStringLiteral("the host's")));
    addRoot("B");
    subject.checkInvariants();
    EXPECT_EQ(subject.tree().Nodes()->Count(), 2);
    EXPECT_EQ(a->Next()->Key(), "B");

    RecordingListener listener;
    const int32_t cookie = subject.view->advise(&listener);
    const QPoint onOwn = subject.widget()->visualItemRect(own).center();
    QTest::mouseClick(subject.widget()->viewport(), Qt::LeftButton, {}, onOwn);
    EXPECT_TRUE(listener.events.empty());
    EXPECT_FALSE(subject.tree().HitTest(static_cast<float>(onOwn.x()), static_cast<float>(onOwn.y())));
    subject.view->unadvise(cookie);
}

// Inside the widget's event handling a failure has no caller to go to.
TEST_F(QtTreeViewTest, AFailureThatLeavesAListenerGoesToQtsLog) {
    addRoot("A");
    struct Failing : RecordingListener {
        void NodeClick(const rt::Ref<tree::TreeNode>&) override { throw rt::errInvalidCall(); }
        void KeyDown(int16_t&, int16_t&) override { throw std::runtime_error("no memory for the key"); }
    } failing;
    const int32_t cookie = subject.view->advise(&failing);
    static QStringList logged;
    logged.clear();
    const auto previous = qInstallMessageHandler(
        [](QtMsgType, const QMessageLogContext&, const QString& message) { logged << message; });
    subject.click("A");
    QTest::keyClick(subject.widget(), Qt::Key_B);
    qInstallMessageHandler(previous);
    subject.view->unadvise(cookie);
    ASSERT_EQ(logged.size(), 2);
    EXPECT_TRUE(logged[0].contains(QStringLiteral("Invalid procedure call"))) << logged[0].toStdString();
    EXPECT_TRUE(logged[1].contains(QStringLiteral("no memory for the key"))) << logged[1].toStdString();
    EXPECT_EQ(failing.events, (std::vector<std::string>{"up 66 0"})) << "the widget carries on";
}

TEST_F(QtTreeViewTest, TheInvariantCheckSeesItemsMovedBehindItsBack) {
    addRoot("A");
    addRoot("B");
    subject.checkInvariants();
    QTreeWidget* widget = subject.widget();
    QTreeWidgetItem* taken = widget->takeTopLevelItem(0);
    widget->addTopLevelItem(taken);
    EXPECT_THROW(subject.checkInvariants(), std::logic_error);
}

TEST_F(QtTreeViewTest, AHostsWidgetKeepsItsItemsAsNodesWithoutKey) {
    QTreeWidget host;
    auto* first = new QTreeWidgetItem(&host, QStringList(QStringLiteral("First")));
    auto* second = new QTreeWidgetItem(&host, QStringList(QStringLiteral("Second")));
    new QTreeWidgetItem(second, QStringList(QStringLiteral("Child 1")));
    auto* child2 = new QTreeWidgetItem(second, QStringList(QStringLiteral("Child 2")));
    new QTreeWidgetItem(child2, QStringList(QStringLiteral("Grandchild")));
    first->setIcon(0, qt_tree::iconOf(*plain(0xff0000)));
    second->setExpanded(true);

    auto view = rt::make<qt_tree::QtTreeView>(&host);
    view->checkInvariants();
    auto nodes = view->Nodes();
    ASSERT_EQ(nodes->Count(), 5);
    std::vector<std::string> texts;
    for (int32_t i = 1; i <= 5; ++i) {
        EXPECT_EQ(nodes->Item(i)->Key(), "");
        texts.push_back(nodes->Item(i)->Text());
    }
    EXPECT_EQ(texts, (std::vector<std::string>{"First", "Second", "Child 1", "Child 2", "Grandchild"}));
    EXPECT_EQ(nodes->Item(2)->Children(), 2);
    EXPECT_EQ(nodes->Item(2)->Expanded(), rt::True16);
    EXPECT_EQ(nodes->Item(4)->Expanded(), rt::False16);
    EXPECT_EQ(middleOf(host.topLevelItem(0)->icon(0)), Red) << "an item without image keeps its own icon";

    // The host binds a manager and adds its sections beside them.
    Sarn10B::frmKwAmbrTvsA::drop();
    testing_support::RecordingErrorHandler handler;
    auto manager = rt::make<Sarn10B::clsKwAmbrTvsA>();
    manager->setTreeViewObject(view);
    manager->AddNode({.sKey = "S1", .sText = "Fonts", .enumTVSNodeStyle = Sarn10B::TVSNodeStyle_Default});
    manager->AddNode({.sRelative = "S1", .sRelationship = tree::tvwChild, .sKey = "CBbold", .sText = "Bold"});
    EXPECT_TRUE(handler.reports().empty());
    EXPECT_EQ(host.topLevelItemCount(), 3);
    EXPECT_EQ(host.topLevelItem(2)->child(0)->text(0), "Bold");
    view->checkInvariants();
    manager->setTreeViewObject(nullptr);
    Sarn10B::frmKwAmbrTvsA::drop();
}

TEST_F(QtTreeViewTest, AWidgetThatTheHostDeletesFailsEveryCallWith35605) {
    auto host = std::make_unique<QTreeWidget>();
    auto view = rt::make<qt_tree::QtTreeView>(host.get());
    auto nodes = view->Nodes();
    auto a = nodes->Add(rt::Missing{}, rt::Missing{}, "A", "a", rt::Missing{});
    host.reset();
    EXPECT_EQ(view->widget(), nullptr);
    EXPECT_EQ(errorNumberOf([&] { nodes->Count(); }), 35605);
    EXPECT_EQ(errorNumberOf([&] { view->Nodes()->Item("A"); }), 35605);
    EXPECT_EQ(errorNumberOf([&] { nodes->Add(rt::Missing{}, rt::Missing{}, "B", "b", rt::Missing{}); }), 35605);
    EXPECT_EQ(errorNumberOf([&] { a->Key(); }), 35605);
    EXPECT_EQ(errorNumberOf([&] { a->setExpanded(rt::True16); }), 35605);
    EXPECT_EQ(errorNumberOf([&] { view->HitTest(1, 1); }), 35605);
    EXPECT_EQ(errorNumberOf([&] { view->setToolTipText("t"); }), 35605);
    EXPECT_EQ(view->itemOf(a), nullptr);
}

TEST_F(QtTreeViewTest, AWidgetOutlivesItsViewWithItsItemsAndPictures) {
    QTreeWidget host;
    host.resize(200, 200);
    host.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&host));
    rt::Ref<tree::TreeNode> a;
    RecordingListener listener;
    {
        auto view = rt::make<qt_tree::QtTreeView>(&host);
        view->SetImageList(listOf({{"on", 0x00ff00}}));
        a = view->Nodes()->Add(rt::Missing{}, rt::Missing{}, "A", "a", "on");
        view->advise(&listener);
    }
    ASSERT_EQ(host.topLevelItemCount(), 1);
    EXPECT_EQ(middleOf(host.topLevelItem(0)->icon(0)), Green);
    EXPECT_EQ(errorNumberOf([&] { a->Key(); }), 35605);
    // The view's hooks are gone with it: clicks and keys reach no listener.
    QTest::mouseClick(host.viewport(), Qt::LeftButton, {}, host.visualItemRect(host.topLevelItem(0)).center());
    QTest::keyClick(&host, Qt::Key_A);
    EXPECT_TRUE(listener.events.empty());
}

}  // namespace
}  // namespace qt_tests
