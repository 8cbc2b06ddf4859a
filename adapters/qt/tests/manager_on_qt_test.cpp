// The style manager bound to a Qt tree view over a shown widget, driven by
// the platform's own mouse and key events: what a user sees happen.
#include <QApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QToolTip>
#include <gtest/gtest.h>

#include "adapters/qt/qt_message_box.h"
#include "adapters/qt/tests/recording_listener.h"
#include "adapters/qt/tests/tree_subjects.h"
#include "manager/hidden_form.h"
#include "manager/style_manager.h"
#include "outside/tree_text.h"
#include "testing/recording_handler.h"

namespace qt_tests {
namespace {

using namespace Sarn10B;
using testing_support::Report;
using testing_support::reportsAt;
using Strings = std::vector<std::string>;

// Handles every pending event, and those that handling them posts.
void settle() {
    for (int round = 0; round < 3; ++round) QApplication::processEvents();
}

struct Item {
    const char* key;
    int32_t style;
    const char* tag = "";
};

// A manager bound to a tree view; adds sections of items the way a host does.
template <class Subject>
struct Bound {
    Subject subject;
    rt::Ref<clsKwAmbrTvsA> manager = rt::make<clsKwAmbrTvsA>();

    Bound() { manager->setTreeViewObject(subject.view); }
    ~Bound() { manager->setTreeViewObject(nullptr); }

    void addSection(const std::string& key, std::vector<Item> items, const std::string& tag = "") {
        manager->AddNode({.sKey = key, .sText = "Section " + key, .enumTVSNodeStyle = TVSNodeStyle_Default,
                          .bExpanded = rt::True16, .sTag = tag});
        for (const auto& item : items)
            manager->AddNode({.sRelative = key, .sRelationship = tree::tvwChild, .sKey = item.key,
                              .sText = std::string("Item ") + item.key, .enumTVSNodeStyle = item.style,
                              .sTag = item.tag});
    }
    rt::Ref<tree::TreeNode> node(const std::string& key) { return subject.tree().Nodes()->Item(rt::Variant(key)); }
    std::string imageOf(const std::string& key) { return tree::imageText(node(key)->Image()); }
    Strings imagesUnder(const std::string& section) {
        Strings out;
        for (auto item = node(section)->Child(); item; item = item->Next()) out.push_back(tree::imageText(item->Image()));
        return out;
    }
    std::string text() { return tree::treeAsText(subject.tree()); }
};

template <class Subject>
class ManagerOnQtTest : public testing_support::ChannelTest {
protected:
    ManagerOnQtTest() { frmKwAmbrTvsA::drop(); }
    ~ManagerOnQtTest() override { frmKwAmbrTvsA::drop(); }

    void addFontsAndAlignment() {
        t.addSection("S1", {{"CBbold", TVSNodeStyle_CheckBoxoff, "Bold type"},
                            {"CBitalic", TVSNodeStyle_CheckBoxOn},
                            {"CBunder", TVSNodeStyle_CheckBoxoff}},
                     "Fonts tag");
        t.addSection("S2", {{"OBleft", TVSNodeStyle_OptionButtonOn},
                            {"OBcenter", TVSNodeStyle_OptionButtonOff},
                            {"OBright", TVSNodeStyle_OptionButtonOff}});
        handler.clear();
    }
    QTreeView* widget() { return t.subject.widget(); }
    QWidget* viewport() { return widget()->viewport(); }

    Bound<Subject> t;
};

struct QtViewNames {
    template <class T>
    static std::string GetName(int) {
        return std::is_same_v<T, QtSubject> ? "Widget" : "Model";
    }
};
using QtSubjects = ::testing::Types<QtSubject, QtModelSubject>;
TYPED_TEST_SUITE(ManagerOnQtTest, QtSubjects, QtViewNames);

TYPED_TEST(ManagerOnQtTest, ClicksToggleCheckBoxesAndSwitchOptionButtons) {
    this->addFontsAndAlignment();
    struct Step {
        const char* click;
        Strings fonts;
        Strings alignment;
    };
    const Step steps[] = {
        {"CBbold", {"chkon", "chkon", "chkoff"}, {"opton", "optoff", "optoff"}},
        {"CBitalic", {"chkon", "chkoff", "chkoff"}, {"opton", "optoff", "optoff"}},
        {"CBbold", {"chkoff", "chkoff", "chkoff"}, {"opton", "optoff", "optoff"}},
        {"OBright", {"chkoff", "chkoff", "chkoff"}, {"optoff", "optoff", "opton"}},
        {"OBright", {"chkoff", "chkoff", "chkoff"}, {"optoff", "optoff", "opton"}},
        {"OBcenter", {"chkoff", "chkoff", "chkoff"}, {"optoff", "opton", "optoff"}},
        {"S1", {"chkoff", "chkoff", "chkoff"}, {"optoff", "opton", "optoff"}},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(std::string("click on ") + step.click);
        this->t.subject.click(step.click);
        EXPECT_EQ(this->t.imagesUnder("S1"), step.fonts);
        EXPECT_EQ(this->t.imagesUnder("S2"), step.alignment);
    }
    EXPECT_EQ(this->t.manager->NodeChildren(), 3) << "the last click was on a section";
    EXPECT_EQ(this->t.manager->Tag(), "Fonts tag");
    EXPECT_EQ(this->reports(), std::vector<Report>{});
}

// The same sections and the same clicks, once on the in-memory tree view and
// once with real clicks on the widget: the trees and the reports must agree
// after every click.
TYPED_TEST(ManagerOnQtTest, RealClicksGiveTheImageKeysOfTheInMemoryTreeView) {
    Bound<MemorySubject> memory;
    const auto build = [](auto& bound) {
        bound.addSection("S1", {{"CBa", TVSNodeStyle_CheckBoxoff},
                                {"cbLower", TVSNodeStyle_CheckBoxOn},
                                {"OBx", TVSNodeStyle_OptionButtonOn},
                                {"OBy", TVSNodeStyle_OptionButtonOff},
                                {"PLAIN", TVSNodeStyle_CheckBoxOn}});
        bound.addSection("S2", {{"OBp", TVSNodeStyle_OptionButtonOff},
                                {"obq", TVSNodeStyle_OptionButtonOn},
                                {"CBz", TVSNodeStyle_Default}});
        // A key the tree already has: the manager reports, both alike.
        bound.addSection("S2", {});
    };
    build(memory);
    const auto memoryReports = this->reports();
    this->handler.clear();
    frmKwAmbrTvsA::drop();  // the second tree gets fresh pictures
    build(this->t);
    EXPECT_EQ(this->reports(), memoryReports);
    ASSERT_EQ(this->t.text(), memory.text());

    for (const char* key : {"CBa", "OBy", "cbLower", "PLAIN", "OBp", "OBy", "obq", "CBz", "S1", "CBa", "OBx", "CBz"}) {
        SCOPED_TRACE(std::string("click on ") + key);
        this->handler.clear();
        memory.subject.click(key);
        const auto expectedReports = this->reports();
        this->handler.clear();
        this->t.subject.click(key);
        EXPECT_EQ(this->t.text(), memory.text());
        EXPECT_EQ(this->reports(), expectedReports);
        EXPECT_EQ(this->t.manager->Tag(), memory.manager->Tag());
        EXPECT_EQ(this->t.manager->NodeChildren(), memory.manager->NodeChildren());
    }
}

TYPED_TEST(ManagerOnQtTest, CtrlAOpensAndClosesTheWholeTree) {
    this->addFontsAndAlignment();
    this->t.manager->ExpandAll(rt::False16);
    // Sections open in the widget; every node says so.
    const auto allOpen = [&](bool open) {
        for (const char* key : {"S1", "S2"})
            if (this->widget()->isExpanded(this->t.subject.indexOf(key)) != open) return false;
        for (const char* key : {"S1", "CBbold", "S2", "OBright"})
            if ((this->t.node(key)->Expanded() != 0) != open) return false;
        return true;
    };
    ASSERT_TRUE(allOpen(false));
    QTest::keyClick(this->widget(), Qt::Key_A, Qt::ControlModifier);
    EXPECT_TRUE(allOpen(true));
    EXPECT_EQ(this->t.manager->IsExpanded(), rt::True16);
    EXPECT_TRUE(this->widget()->visualRect(this->t.subject.indexOf("OBright")).isValid()) << "the rows show";
    QTest::keyClick(this->widget(), Qt::Key_A, Qt::ControlModifier);
    EXPECT_TRUE(allOpen(false));
    EXPECT_EQ(this->t.manager->IsExpanded(), rt::False16);

    struct Case {
        const char* name;
        Qt::KeyboardModifiers modifiers;
    };
    for (const Case& c : {Case{"A alone", Qt::NoModifier}, Case{"Ctrl+Shift+A", Qt::ControlModifier | Qt::ShiftModifier},
                          Case{"Ctrl+Alt+A", Qt::ControlModifier | Qt::AltModifier}}) {
        SCOPED_TRACE(c.name);
        QTest::keyClick(this->widget(), Qt::Key_A, c.modifiers);
        EXPECT_TRUE(allOpen(false));
    }
    EXPECT_EQ(this->reports(), std::vector<Report>{});
}

TYPED_TEST(ManagerOnQtTest, F10ShowsTheLastClickedNode) {
    this->addFontsAndAlignment();
    this->t.subject.click("CBbold");
    QTest::keyClick(this->widget(), Qt::Key_F10);
    this->t.subject.click("S1");
    QTest::keyClick(this->widget(), Qt::Key_F10, Qt::ShiftModifier);
    QTest::keyClick(this->widget(), Qt::Key_F10, Qt::ControlModifier);
    ASSERT_EQ(this->messageBox.messages().size(), 3u);
    const Strings prompts = {"Bold type , 0 More items. ", "Fonts tag , 3 More items. ", "Fonts tag , 3 More items. "};
    for (size_t i = 0; i < prompts.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(this->messageBox.messages()[i].prompt, prompts[i]);
        EXPECT_EQ(this->messageBox.messages()[i].title, "Item Desription...");
        EXPECT_EQ(this->messageBox.messages()[i].style, 64);
    }
}

// The runtime's message box as the demo shows it: a real modal dialog.
TYPED_TEST(ManagerOnQtTest, F10OpensAModalInformationBox) {
    this->addFontsAndAlignment();
    const auto previous = qt_tree::installQtMessageBox(this->widget());
    this->t.subject.click("CBbold");
    QString text, title;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    bool wasModal = false;
    // The box runs its own event loop: look at it from there, then press OK.
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        wasModal = box->isModal();
        text = box->text();
        title = box->windowTitle();
        icon = box->icon();
        buttons = box->standardButtons();
        box->button(QMessageBox::Ok)->click();
    });
    QTest::keyClick(this->widget(), Qt::Key_F10);
    rt::setMessageBoxHandler(previous);
    EXPECT_TRUE(wasModal);
    EXPECT_EQ(text.toStdString(), "Bold type , 0 More items. ");
    EXPECT_EQ(title.toStdString(), "Item Desription...");
    EXPECT_EQ(icon, QMessageBox::Information);
    EXPECT_EQ(buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
}

TYPED_TEST(ManagerOnQtTest, TheSelectionFollowsThePointerWhenAsked) {
    this->addFontsAndAlignment();
    this->t.manager->setHitTestOnMouseMove(rt::True16);
    QTest::mouseMove(this->viewport(), this->t.subject.centreOf("CBitalic"));
    EXPECT_TRUE(this->widget()->selectionModel()->isSelected(this->t.subject.indexOf("CBitalic")));
    EXPECT_EQ(this->widget()->currentIndex(), this->t.subject.indexOf("CBitalic"));
    QTest::mouseMove(this->viewport(), this->t.subject.centreOf("OBcenter"));
    EXPECT_TRUE(this->widget()->selectionModel()->isSelected(this->t.subject.indexOf("OBcenter")));
    EXPECT_FALSE(this->widget()->selectionModel()->isSelected(this->t.subject.indexOf("CBitalic")));
    // Empty space below the rows keeps the selection.
    QTest::mouseMove(this->viewport(), QPoint(20, this->viewport()->height() - 3));
    EXPECT_TRUE(this->widget()->selectionModel()->isSelected(this->t.subject.indexOf("OBcenter")));

    for (int16_t other : {int16_t{0}, int16_t{1}}) {
        SCOPED_TRACE(other);
        this->t.manager->setHitTestOnMouseMove(other);
        QTest::mouseMove(this->viewport(), this->t.subject.centreOf("CBbold"));
        EXPECT_FALSE(this->widget()->selectionModel()->isSelected(this->t.subject.indexOf("CBbold")));
        QTest::mouseMove(this->viewport(), QPoint(20, this->viewport()->height() - 3));
    }
    EXPECT_EQ(this->reports(), std::vector<Report>{});
}

TYPED_TEST(ManagerOnQtTest, TheTagShowsAsToolTip) {
    this->addFontsAndAlignment();
    this->t.subject.click("CBbold");
    EXPECT_EQ(this->widget()->toolTip(), "") << "not asked for";
    this->t.manager->setTaginToolTip(rt::True16);
    this->t.subject.click("CBbold");
    EXPECT_EQ(this->widget()->toolTip(), "Bold type");
    // The tip shows over the rows, where the user points.
    QHelpEvent help(QEvent::ToolTip, this->t.subject.centreOf("CBitalic"), this->viewport()->mapToGlobal(this->t.subject.centreOf("CBitalic")));
    QApplication::sendEvent(this->viewport(), &help);
    EXPECT_EQ(QToolTip::text(), "Bold type");
    QToolTip::hideText();
    this->t.subject.click("CBitalic");
    EXPECT_EQ(this->widget()->toolTip(), "") << "a node without tag";
    EXPECT_EQ(this->reports(), std::vector<Report>{});

    this->t.subject.view->setOffersToolTipText(false);
    this->t.subject.click("CBbold");
    EXPECT_EQ(this->reports(), reportsAt("czAmbrTVS.oTV_NodeClick", {438}));
    EXPECT_EQ(this->t.imageOf("CBbold"), "chkon") << "the click goes on after the report";
}

TYPED_TEST(ManagerOnQtTest, AKeyHeldDownStopsClicksFromToggling) {
    this->addFontsAndAlignment();
    QTest::keyPress(this->widget(), Qt::Key_Shift);
    this->t.subject.click("CBbold");
    EXPECT_EQ(this->t.imageOf("CBbold"), "chkoff");
    EXPECT_EQ(this->t.manager->Tag(), "Bold type") << "the click is still recorded";
    // A key that repeats sends releases marked as repeats: it is still down.
    QKeyEvent repeatRelease(QEvent::KeyRelease, Qt::Key_Shift, Qt::ShiftModifier, QString(), true);
    QApplication::sendEvent(this->widget(), &repeatRelease);
    this->t.subject.click("OBright");
    EXPECT_EQ(this->t.imagesUnder("S2"), (Strings{"opton", "optoff", "optoff"}));
    QTest::keyRelease(this->widget(), Qt::Key_Shift);
    this->t.subject.click("CBbold");
    EXPECT_EQ(this->t.imageOf("CBbold"), "chkon");
}

TYPED_TEST(ManagerOnQtTest, PointerMovesCarryButtonsModifiersAndViewportPixels) {
    this->addFontsAndAlignment();
    RecordingListener listener;
    const int32_t cookie = this->t.subject.view->advise(&listener);
    struct Case {
        const char* name;
        Qt::MouseButtons buttons;
        Qt::KeyboardModifiers modifiers;
        const char* event;
    };
    const Case cases[] = {
        {"nothing held", Qt::NoButton, Qt::NoModifier, "move 0 0"},
        {"left", Qt::LeftButton, Qt::NoModifier, "move 1 0"},
        {"right", Qt::RightButton, Qt::NoModifier, "move 2 0"},
        {"middle", Qt::MiddleButton, Qt::NoModifier, "move 4 0"},
        {"left and right", Qt::LeftButton | Qt::RightButton, Qt::NoModifier, "move 3 0"},
        {"shift", Qt::NoButton, Qt::ShiftModifier, "move 0 1"},
        {"ctrl and alt", Qt::NoButton, Qt::ControlModifier | Qt::AltModifier, "move 0 6"},
    };
    const QPointF at(37.5, 21.25);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QMouseEvent move(QEvent::MouseMove, at, this->viewport()->mapToGlobal(at), Qt::NoButton, c.buttons, c.modifiers);
        QApplication::sendEvent(this->viewport(), &move);
        ASSERT_FALSE(listener.events.empty());
        EXPECT_EQ(listener.events.back(), c.event);
        EXPECT_FLOAT_EQ(listener.x, 37.5f);
        EXPECT_FLOAT_EQ(listener.y, 21.25f);
    }
    this->t.subject.view->unadvise(cookie);
}

// A listener may empty the tree while the widget is still handling the click.
TYPED_TEST(ManagerOnQtTest, AClickThatEmptiesTheTreeIsSafe) {
    this->addFontsAndAlignment();
    struct Clearing : RecordingListener {
        rt::Ref<tree::TreeView> view;
        void NodeClick(const rt::Ref<tree::TreeNode>& node) override {
            RecordingListener::NodeClick(node);
            view->Nodes()->Clear();
        }
    } clearing;
    clearing.view = this->t.subject.view;
    const int32_t cookie = this->t.subject.view->advise(&clearing);
    const QPoint onBold = this->t.subject.centreOf("CBbold");
    QTest::mouseClick(this->viewport(), Qt::LeftButton, {}, onBold);
    QApplication::processEvents();
    this->t.subject.view->unadvise(cookie);
    EXPECT_EQ(clearing.events, Strings{"click CBbold"});
    EXPECT_EQ(this->t.subject.tree().Nodes()->Count(), 0);
    EXPECT_EQ(this->widget()->model()->rowCount(), 0);
    QTest::mouseClick(this->viewport(), Qt::LeftButton, {}, onBold);
}

// The manager's walks over a shown widget: one repaint for the whole burst,
// and at most one change of the widget's model told for it (the model view
// tells its views; the tree widget's items ask for their icons as they
// paint).
TYPED_TEST(ManagerOnQtTest, WalksOverASectionRepaintOnce) {
    std::vector<Item> items;
    std::vector<std::string> keys;
    for (int i = 0; i < 400; ++i) keys.push_back("CB" + std::to_string(1000 + i));
    for (const auto& key : keys) items.push_back({key.c_str(), TVSNodeStyle_CheckBoxoff});
    this->t.addSection("S1", items);
    QApplication::processEvents();

    struct PaintCounter : QObject {
        int paints = 0;
        bool eventFilter(QObject*, QEvent* event) override {
            if (event->type() == QEvent::Paint) ++paints;
            return false;
        }
    } counter;
    this->viewport()->installEventFilter(&counter);
    int changes = 0;
    QObject::connect(this->widget()->model(), &QAbstractItemModel::dataChanged, &counter, [&] { ++changes; });

    struct Job {
        const char* name;
        std::function<void()> run;
    };
    const Job jobs[] = {
        {"select all", [&] { this->t.manager->CBSelectAll("S1", rt::True16); }},
        {"invert", [&] { this->t.manager->CBSelectAll("S1", rt::False16, rt::True16); }},
        {"another picture set", [&] {
             this->t.subject.view->SetImageList(frmKwAmbrTvsA::current()->imageListFor(TVSImageStyles_LockUnlock));
         }},
        {"collapse all", [&] { this->t.manager->ExpandAll(rt::False16); }},
        {"expand all", [&] { this->t.manager->ExpandAll(rt::True16); }},
    };
    for (const auto& job : jobs) {
        SCOPED_TRACE(job.name);
        settle();
        counter.paints = 0;
        changes = 0;
        job.run();
        EXPECT_EQ(counter.paints, 0) << "nothing paints during the walk";
        settle();
        // Once for the rows, and once more when the scroll bar comes or goes.
        EXPECT_GE(counter.paints, 1);
        EXPECT_LE(counter.paints, 2);
        EXPECT_LE(changes, (std::is_same_v<TypeParam, QtModelSubject> ? 1 : 0));
    }
    this->viewport()->removeEventFilter(&counter);
    EXPECT_EQ(this->t.node(keys.back())->Expanded(), rt::True16);
    EXPECT_EQ(this->t.imageOf(keys.back()), "chkoff");
}

}  // namespace
}  // namespace qt_tests
