// What assistive technology learns of the tree: each row's role and checked
// state as its image key says, the changes as they happen, and Qt's own
// focus events pointing at the right row.
#include <QAccessible>
#include <QKeyEvent>
#include <QScrollBar>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "adapters/qt/qt_accessibility.h"
#include "adapters/qt/tests/heard_events.h"
#include "adapters/qt/tests/managed_tree.h"

namespace qt_tests {
namespace {

using Strings = std::vector<std::string>;
using qt_tree::ItemRole;

TEST(ItemStates, KeyPrefixAndImageKeyTellWhatAnItemIs) {
    struct Case {
        const char* key;
        rt::Variant image;
        ItemRole role;
        bool checked;
    };
    const Case cases[] = {
        {"CBbold", "chkon", ItemRole::CheckBox, true},
        {"CBbold", "chkoff", ItemRole::CheckBox, false},
        {"cbLower", "CHKON", ItemRole::CheckBox, true},
        {"OBleft", "opton", ItemRole::RadioButton, true},
        {"oBx", "OptOff", ItemRole::RadioButton, false},
        {"CBwrong", "opton", ItemRole::Plain, false},
        {"OBwrong", "chkon", ItemRole::Plain, false},
        {"CBhost", "myPicture", ItemRole::Plain, false},
        {"CBnone", rt::Variant(), ItemRole::Plain, false},
        {"CBposition", rt::Variant(int16_t{1}), ItemRole::Plain, false},
        {"S1", "chkon", ItemRole::Plain, false},
        {"C", "chkon", ItemRole::Plain, false},
        {"", "opton", ItemRole::Plain, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.key) + " " + rt::describe(c.image));
        const qt_tree::ItemState state = qt_tree::itemStateOf(c.key, c.image);
        EXPECT_EQ(state.role, c.role);
        EXPECT_EQ(state.checked, c.checked);
    }
}

class AccessibilityTest : public ManagedTreeTest {
public:
    QAccessibleInterface* tree() { return QAccessible::queryAccessibleInterface(widget()); }
    // Every row as it is said (the widget shows no header, so it is no
    // child); each child knows its own place.
    Strings rows() {
        QAccessibleInterface* t = tree();
        Strings out;
        for (int i = 0; i < t->childCount(); ++i) {
            QAccessibleInterface* child = t->child(i);
            EXPECT_EQ(t->indexOfChild(child), i) << said(child);
            EXPECT_EQ(child->parent(), t);
            out.push_back(said(child));
        }
        return out;
    }
    QAccessibleInterface* cellOf(QTreeWidgetItem* item) {
        QAccessibleInterface* t = tree();
        for (int i = 0; i < t->childCount(); ++i)
            if (t->child(i)->text(QAccessible::Name) == item->text(0)) return t->child(i);
        ADD_FAILURE() << item->text(0).toStdString() << " has no row";
        return nullptr;
    }
    QAccessibleInterface* cellOf(const std::string& key) {
        QAccessibleInterface* t = tree();
        const std::string name = "Item " + key;
        for (int i = 0; i < t->childCount(); ++i)
            if (t->child(i)->text(QAccessible::Name).toStdString() == name) return t->child(i);
        ADD_FAILURE() << key << " has no row";
        return nullptr;
    }
};

TEST_F(AccessibilityTest, EachRowSaysWhatItsImageKeySays) {
    addFontsAndAlignment();
    struct Step {
        const char* name;
        std::function<void(AccessibilityTest&)> run;
        Strings rows;
    };
    const Step steps[] = {
        {"as added", [](AccessibilityTest&) {},
         {"Section S1: tree item", "Item CBbold: check box, not checked", "Item CBitalic: check box, checked",
          "Item CBunder: check box, not checked", "Section S2: tree item", "Item OBleft: radio button, checked",
          "Item OBcenter: radio button, not checked", "Item OBright: radio button, not checked",
          "Item PLAIN: tree item"}},
        {"a click on Bold", [](AccessibilityTest& t) { t.subject.click("CBbold"); },
         {"Section S1: tree item", "Item CBbold: check box, checked", "Item CBitalic: check box, checked",
          "Item CBunder: check box, not checked", "Section S2: tree item", "Item OBleft: radio button, checked",
          "Item OBcenter: radio button, not checked", "Item OBright: radio button, not checked",
          "Item PLAIN: tree item"}},
        {"select all, then invert", [](AccessibilityTest& t) {
             t.manager->CBSelectAll("S1", rt::True16);
             t.manager->CBSelectAll("S1", rt::False16, rt::True16);
         },
         {"Section S1: tree item", "Item CBbold: check box, not checked", "Item CBitalic: check box, not checked",
          "Item CBunder: check box, not checked", "Section S2: tree item", "Item OBleft: radio button, checked",
          "Item OBcenter: radio button, not checked", "Item OBright: radio button, not checked",
          "Item PLAIN: tree item"}},
        {"Space on Right", [](AccessibilityTest& t) {
             t.makeCurrent("OBright");
             QTest::keyClick(t.widget(), Qt::Key_Space);
         },
         {"Section S1: tree item", "Item CBbold: check box, not checked", "Item CBitalic: check box, not checked",
          "Item CBunder: check box, not checked", "Section S2: tree item", "Item OBleft: radio button, not checked",
          "Item OBcenter: radio button, not checked", "Item OBright: radio button, checked",
          "Item PLAIN: tree item"}},
        {"the fonts closed", [](AccessibilityTest& t) { t.subject.item("S1")->setExpanded(false); },
         {"Section S1: tree item", "Section S2: tree item", "Item OBleft: radio button, not checked",
          "Item OBcenter: radio button, not checked", "Item OBright: radio button, checked",
          "Item PLAIN: tree item"}},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.name);
        step.run(*this);
        EXPECT_EQ(rows(), step.rows);
    }
    EXPECT_EQ(tree()->role(), QAccessible::Tree);
    EXPECT_EQ(tree()->child(0)->role(), QAccessible::TreeItem) << "the hidden header is no child";
    widget()->setHeaderHidden(false);
    EXPECT_EQ(said(tree()->child(0)), "1: header") << "a header that shows comes first";
    EXPECT_EQ(tree()->childCount(), 1 + 6);
}

TEST_F(AccessibilityTest, StatesOfTheTreeSurviveTheCheckedState) {
    addFontsAndAlignment();
    makeCurrent("CBitalic");
    const QAccessible::State italic = cellOf("CBitalic")->state();
    EXPECT_TRUE(italic.focused && italic.selected && italic.selectable && italic.checkable && italic.checked);
    EXPECT_FALSE(italic.invisible);
    QAccessibleInterface* section = tree()->child(0);
    EXPECT_TRUE(section->state().expandable && section->state().expanded);
    EXPECT_FALSE(section->state().checkable);
    QAccessibleInterface* bold = cellOf("CBbold");
    subject.item("S1")->setExpanded(false);
    EXPECT_TRUE(bold->state().invisible) << "in a closed section";
    EXPECT_EQ(tree()->indexOfChild(bold), -1);
}

TEST_F(AccessibilityTest, ANewImageKeyIsToldAsAChangeOfState) {
    addFontsAndAlignment();
    rows();  // assistive technology has seen every row
    Strings heard;
    HeardEvents events([&](QAccessibleEvent* event) {
        if (event->type() == QAccessible::StateChanged) heard.push_back(saidChange(event));
    });
    struct Step {
        const char* name;
        std::function<void(AccessibilityTest&)> run;
        Strings heard;
    };
    const Step steps[] = {
        {"a click on Bold", [](AccessibilityTest& t) { t.subject.click("CBbold"); },
         {"Item CBbold: check box, checked (checked changed)"}},
        {"select all: only Underline changes",
         [](AccessibilityTest& t) { t.manager->CBSelectAll("S1", rt::True16); },
         {"Item CBunder: check box, checked (checked changed)"}},
        {"Space on Right: Left goes off, Right on",
         [](AccessibilityTest& t) {
             t.makeCurrent("OBright");
             QTest::keyClick(t.widget(), Qt::Key_Space);
         },
         {"Item OBleft: radio button, not checked (checked changed)",
          "Item OBright: radio button, checked (checked changed)"}},
        {"a click on Right again changes nothing", [](AccessibilityTest& t) { t.subject.click("OBright"); }, {}},
        {"Italic given an option button's picture",
         [](AccessibilityTest& t) { t.node("CBitalic")->setImage(rt::Variant("opton")); },
         {"Item CBitalic: tree item (checked changed) (checkable changed)"}},
        {"and a check box's again",
         [](AccessibilityTest& t) { t.node("CBitalic")->setImage(rt::Variant("chkoff")); },
         {"Item CBitalic: check box, not checked (checkable changed)"}},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.name);
        heard.clear();
        step.run(*this);
        EXPECT_EQ(heard, Strings{}) << "not before the event loop runs";
        QApplication::processEvents();
        EXPECT_EQ(heard, step.heard);
    }
}

TEST_F(AccessibilityTest, RowsNotYetAskedForAreNotTold) {
    addFontsAndAlignment();
    QAccessibleInterface* bold = cellOf("CBbold");
    ASSERT_NE(bold, nullptr);
    Strings heard;
    HeardEvents events([&](QAccessibleEvent* event) {
        if (event->type() == QAccessible::StateChanged) heard.push_back(said(event->accessibleInterface()));
    });
    manager->CBSelectAll("S1", rt::True16);
    QApplication::processEvents();
    EXPECT_EQ(heard, Strings{"Item CBbold: check box, checked"}) << "only Bold was asked for";
}

TEST_F(AccessibilityTest, ChangesStillToBeToldGoWithTheView) {
    addFontsAndAlignment();
    rows();
    Strings heard;
    HeardEvents events([&](QAccessibleEvent* event) { heard.push_back(said(event->accessibleInterface())); });
    subject.click("CBbold");
    manager->setTreeViewObject(nullptr);
    subject.view = nullptr;  // and its widget with it
    QApplication::processEvents();
    EXPECT_EQ(heard, Strings{});
}

TEST_F(AccessibilityTest, CheckingThroughAssistiveTechnologyClicksTheNode) {
    addFontsAndAlignment();
    const auto act = [&](const std::string& key, const QString& action) {
        QAccessibleActionInterface* actions = cellOf(key)->actionInterface();
        ASSERT_NE(actions, nullptr);
        ASSERT_TRUE(actions->actionNames().contains(action)) << key;
        actions->doAction(action);
    };
    act("CBbold", QAccessibleActionInterface::toggleAction());
    act("OBright", QAccessibleActionInterface::toggleAction());
    EXPECT_EQ(imagesUnder("S1"), (Strings{"chkon", "chkon", "chkoff"}));
    EXPECT_EQ(imagesUnder("S2"), (Strings{"optoff", "optoff", "opton", "chkon"}));
    EXPECT_EQ(manager->NodeChildren(), 0);
    EXPECT_FALSE(cellOf("PLAIN")->actionInterface()->actionNames().contains(QAccessibleActionInterface::toggleAction()))
        << "a plain item is nothing to check";
    act("PLAIN", QAccessibleActionInterface::setFocusAction());
    EXPECT_EQ(widget()->currentItem(), subject.item("PLAIN"));
    EXPECT_EQ(cellOf("CBbold")->actionInterface()->keyBindingsForAction(QAccessibleActionInterface::toggleAction()),
              QStringList{QStringLiteral("Space")});
}

// The tree's children are the rows in the order in which the widget shows
// them (one after the other with itemBelow), a cell for each column, however
// the widget scrolls and whatever height its rows have.
TEST_F(AccessibilityTest, RowsAreNumberedAsQtNumbersThem) {
    using namespace Sarn10B;
    std::vector<std::string> keys;
    for (int i = 0; i < 300; ++i) keys.push_back("CB" + std::to_string(1000 + i));
    std::vector<Item> many;
    for (const auto& key : keys) many.push_back({key.c_str(), TVSNodeStyle_CheckBoxoff});
    addSection("S1", many);
    addSection("S2", {{"OBhidden", TVSNodeStyle_OptionButtonOn}});
    addSection("S3", {{"OBa", TVSNodeStyle_OptionButtonOn}, {"OBb", TVSNodeStyle_OptionButtonOff}});
    subject.item("S2")->setExpanded(false);
    subject.item(keys[7])->setHidden(true);
    Strings shown;
    for (QTreeWidgetItem* item = widget()->topLevelItem(0); item; item = widget()->itemBelow(item))
        shown.push_back(said(tree()->child(tree()->indexOfChild(cellOf(item)))));
    ASSERT_EQ(shown.size(), 1u + 299 + 1 + 1 + 2);
    EXPECT_EQ(shown[8], "Item " + keys[8] + ": check box, not checked") << "the hidden row is left out";

    struct Layout {
        const char* name;
        QAbstractItemView::ScrollMode mode;
        bool uniform;
    };
    const Layout layouts[] = {{"scrolled by rows", QAbstractItemView::ScrollPerItem, true},
                              {"scrolled by pixels", QAbstractItemView::ScrollPerPixel, true},
                              {"rows of several heights", QAbstractItemView::ScrollPerItem, false}};
    for (const auto& layout : layouts) {
        SCOPED_TRACE(layout.name);
        widget()->setVerticalScrollMode(layout.mode);
        widget()->setUniformRowHeights(layout.uniform);
        for (const std::string& key : {keys[0], keys[6], keys[8], keys[150], keys[299], std::string("OBb"), keys[40]}) {
            SCOPED_TRACE(key);
            widget()->setCurrentItem(subject.item(key));
            widget()->scrollToItem(subject.item(key));
            QAccessibleInterface* focus = tree()->focusChild();
            EXPECT_EQ(said(focus), said(cellOf(subject.item(key))));
            const auto at = std::find(shown.begin(), shown.end(), said(focus)) - shown.begin();
            EXPECT_EQ(tree()->indexOfChild(focus), at) << "no row of headers: the header is hidden";
        }
        EXPECT_GT(widget()->verticalScrollBar()->value(), 0) << "the rows scrolled";
        EXPECT_EQ(rows(), shown);
        EXPECT_TRUE(isNoRow(tree(), tree()->child(static_cast<int>(shown.size())))) << "past the last row";
        EXPECT_EQ(tree()->child(static_cast<int>(shown.size()) + 1), nullptr) << "past the last row";
    }
}

// A host's widget that assistive technology knew before the view wrapped it
// is described anew, and once the view is gone, as Qt describes it.
TEST_F(AccessibilityTest, AHostsWidgetIsDescribedWhileTheViewLives) {
    QTreeWidget host;
    host.setColumnCount(2);
    host.resize(300, 200);
    host.show();
    ASSERT_NE(QAccessible::queryAccessibleInterface(&host), nullptr) << "Qt's own description";
    auto view = rt::make<qt_tree::QtTreeView>(&host);
    auto hostManager = rt::make<Sarn10B::clsKwAmbrTvsA>();
    hostManager->setTreeViewObject(view);
    hostManager->AddNode({.sKey = "S1", .sText = "Section", .bExpanded = rt::True16});
    hostManager->AddNode({.sRelative = "S1", .sRelationship = tree::tvwChild, .sKey = "CBx", .sText = "x",
                          .enumTVSNodeStyle = Sarn10B::TVSNodeStyle_CheckBoxOn});
    QAccessibleInterface* described = QAccessible::queryAccessibleInterface(&host);
    ASSERT_EQ(described->childCount(), 3 * 2) << "a row of headers and two rows of two cells";
    EXPECT_EQ(said(described->child(4)), "x: check box, checked");
    EXPECT_EQ(said(described->child(5)), ": tree item") << "the second column is a plain cell";
    hostManager->setTreeViewObject(nullptr);
    view = nullptr;
    QAccessibleInterface* own = QAccessible::queryAccessibleInterface(&host);
    ASSERT_NE(own, nullptr);
    EXPECT_EQ(said(own->child(4)), "x: tree item") << "Qt's own description knows nothing of image keys";
}

// The cell of a row that is gone is deleted with it: nothing can ask about
// it and be told that the object is invalid.
TEST_F(AccessibilityTest, RowsOfGoneItemsAreDeletedAndNewOnesAreNew) {
    addFontsAndAlignment();
    QAccessibleInterface* bold = cellOf("CBbold");
    const QAccessible::Id boldId = QAccessible::uniqueId(bold);
    subject.view->Nodes()->Clear();
    EXPECT_EQ(tree()->childCount(), 0);
    EXPECT_EQ(QAccessible::accessibleInterface(boldId), nullptr);
    addFontsAndAlignment();
    EXPECT_EQ(said(cellOf("CBbold")), "Item CBbold: check box, not checked");
    EXPECT_NE(QAccessible::uniqueId(cellOf("CBbold")), boldId);
    for (int round = 0; round < 50; ++round) {  // enough cells to drop the gone ones
        subject.view->Nodes()->Clear();
        addFontsAndAlignment();
        rows();
    }
    EXPECT_EQ(rows().size(), 9u);
}

// A shown widget tells Qt's accessibility of its going while it is half
// destroyed, and Qt then asks about it: the view must not take what is left
// of it for a tree.
TEST_F(AccessibilityTest, TheWidgetMayGoBeforeTheView) {
    for (const bool shown : {false, true}) {
        SCOPED_TRACE(shown ? "shown" : "hidden");
        auto* host = new QTreeWidget;
        auto view = rt::make<qt_tree::QtTreeView>(host);
        rt::Variant none;
        view->Nodes()->Add(none, none, rt::Variant("CBx"), rt::Variant("x"), none);
        if (shown) {
            host->show();
            QCoreApplication::processEvents();
        }
        QAccessibleInterface* cell = QAccessible::queryAccessibleInterface(host)->child(1);
        ASSERT_NE(cell, nullptr);
        const QAccessible::Id id = QAccessible::uniqueId(cell);
        delete host;
        EXPECT_EQ(QAccessible::accessibleInterface(id), nullptr) << "the rows went with the widget";
        auto* another = new QTreeWidget;
        EXPECT_NE(QAccessible::queryAccessibleInterface(another), nullptr);
        delete another;
    }
}

}  // namespace
}  // namespace qt_tests
