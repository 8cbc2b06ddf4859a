// What assistive technology gets from either Qt tree view beyond each row's
// role and state: the tree as a table of the rows that show, its name and
// each item's description, the focus on the current row, sections opening
// and closing, rows scrolling away, and rows of gone nodes. Qt's own events
// about the view are handed to the trees here as Qt hands them on while
// assistive technology listens, numbered as Qt's tree view numbers them
// (after a row of headers, shown or not): offscreen, no assistive technology
// listens, and Qt sends nothing. The test through the desktop's accessibility
// stack (screen_reader_check.py) sees Qt send them.
#include <QAccessible>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QScrollBar>
#include <QVBoxLayout>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "adapters/qt/qt_accessible_cell.h"
#include "adapters/qt/qt_accessible_events.h"
#include "adapters/qt/tests/heard_events.h"
#include "adapters/qt/tests/tree_subjects.h"
#include "manager/hidden_form.h"
#include "manager/style_manager.h"
#include "testing/recording_handler.h"

namespace qt_tests {
namespace {

using namespace Sarn10B;
using Strings = std::vector<std::string>;

// Qt's accessibility warnings ("Cannot create accessible child interface",
// "Accessible invalid") while a test runs.
Strings warnings;
QtMessageHandler otherHandler = nullptr;
void keepAccessibilityWarnings(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (context.category && QByteArray(context.category).startsWith("qt.accessibility")) {
        warnings.push_back(message.toStdString());
        return;
    }
    if (otherHandler) otherHandler(type, context, message);
}

template <class Subject>
class AccessibleViews : public testing_support::ChannelTest {
public:
    AccessibleViews() {
        frmKwAmbrTvsA::drop();
        warnings.clear();
        otherHandler = qInstallMessageHandler(keepAccessibilityWarnings);
        manager->setTreeViewObject(subject.view);
        add("S1", {{"CBbold", TVSNodeStyle_CheckBoxoff}, {"CBitalic", TVSNodeStyle_CheckBoxOn}});
        add("S2", {{"OBleft", TVSNodeStyle_OptionButtonOn},
                   {"OBright", TVSNodeStyle_OptionButtonOff},
                   {"PLAIN", TVSNodeStyle_CheckBoxOn}});
        QApplication::processEvents();
        subject.widget()->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(subject.widget()));
    }
    ~AccessibleViews() override {
        heard.reset();
        manager->setTreeViewObject(nullptr);
        frmKwAmbrTvsA::drop();
        qInstallMessageHandler(otherHandler);
        EXPECT_EQ(warnings, Strings{}) << "Qt warned of an accessible object of ours";
    }

    struct Item {
        const char* key;
        int32_t style;
    };
    void add(const std::string& section, const std::vector<Item>& items) {
        manager->AddNode({.sKey = section, .sText = "Section " + section, .enumTVSNodeStyle = TVSNodeStyle_Default,
                          .bExpanded = rt::True16, .sTag = "Note " + section});
        for (const auto& item : items)
            manager->AddNode({.sRelative = section, .sRelationship = tree::tvwChild, .sKey = item.key,
                              .sText = std::string("Item ") + item.key, .enumTVSNodeStyle = item.style,
                              .sTag = std::string("Note ") + item.key});
    }

    QAccessibleInterface* tree() { return QAccessible::queryAccessibleInterface(subject.widget()); }
    // Every row as said; the header is hidden, so every child is a row.
    Strings rows() {
        Strings out;
        for (int i = 0; i < tree()->childCount(); ++i) out.push_back(said(tree()->child(i)));
        return out;
    }
    QAccessibleInterface* cellOf(const std::string& key) {
        const QModelIndex index = subject.indexOf(key);
        for (int i = 0; i < tree()->childCount(); ++i)
            if (tree()->child(i)->text(QAccessible::Name).toStdString() == subject.widget()->model()->data(index).toString().toStdString())
                return tree()->child(i);
        ADD_FAILURE() << key << " has no row";
        return nullptr;
    }
    void listen() {
        heard = std::make_unique<HeardEvents>([this](QAccessibleEvent* event) { said_.push_back(saidChange(event)); });
    }
    // What was heard since the last call, once the event loop has run.
    Strings heardNow() {
        QApplication::processEvents();
        return std::exchange(said_, {});
    }
    // An event of Qt's tree view about a row: numbered after a row of
    // headers, whether the header shows or not, the rows in the order in
    // which they show.
    void qtTells(QAccessible::Event type, const std::string& key) {
        int number = 0;
        QModelIndex row = subject.widget()->model()->index(0, 0);
        for (; row.isValid() && row != subject.indexOf(key); row = subject.widget()->indexBelow(row)) ++number;
        QAccessibleEvent event(subject.widget(), type);
        event.setChild(row.isValid() ? number + 1 : 0);  // a row that does not show is Qt's -1, after the headers 0
        event.accessibleInterface();  // what Qt asks before it hands the event on
        qt_tree::events::fromQt(&event);
    }
    // The widget's own focus event, as it gets the keyboard.
    void qtFocuses() {
        QAccessibleEvent event(subject.widget(), QAccessible::Focus);
        qt_tree::events::fromQt(&event);
    }
    // A window's change of its active state, as Qt tells it when the window
    // is deactivated (the keyboard goes to another program) or activated
    // again. The tree is a window of its own here: a window around it
    // stands in for it.
    void qtTellsWindowActivation() {
        QWidget window;
        QAccessible::State changed;
        changed.active = true;
        QAccessibleStateChangeEvent event(&window, changed);
        qt_tree::events::fromQt(&event);
    }
    void makeCurrent(const std::string& key) {
        subject.widget()->setFocus();
        subject.widget()->setCurrentIndex(subject.indexOf(key));
    }

    Subject subject;
    rt::Ref<clsKwAmbrTvsA> manager = rt::make<clsKwAmbrTvsA>();
    std::unique_ptr<HeardEvents> heard;
    Strings said_;
};

struct ViewNames {
    template <class T>
    static std::string GetName(int) {
        return std::is_same_v<T, QtSubject> ? "Widget" : "Model";
    }
};
using QtSubjects = ::testing::Types<QtSubject, QtModelSubject>;
TYPED_TEST_SUITE(AccessibleViews, QtSubjects, ViewNames);

TYPED_TEST(AccessibleViews, TheTreeIsATableOfTheRowsThatShow) {
    QAccessibleTableInterface* table = this->tree()->tableInterface();
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->columnCount(), 1);
    const auto checkRows = [&](const Strings& rows) {
        ASSERT_EQ(table->rowCount(), static_cast<int>(rows.size()));
        EXPECT_EQ(this->rows(), rows);
        for (int r = 0; r < table->rowCount(); ++r) {
            QAccessibleInterface* cell = table->cellAt(r, 0);
            EXPECT_EQ(cell, this->tree()->child(r)) << r;
            ASSERT_NE(cell->tableCellInterface(), nullptr);
            EXPECT_EQ(cell->tableCellInterface()->rowIndex(), r);
            EXPECT_EQ(cell->tableCellInterface()->columnIndex(), 0);
            EXPECT_EQ(cell->tableCellInterface()->table(), this->tree());
        }
        EXPECT_EQ(table->cellAt(table->rowCount(), 0), nullptr);
        EXPECT_EQ(table->cellAt(0, 1), nullptr);
    };
    checkRows({"Section S1: tree item", "Item CBbold: check box, not checked",
               "Item CBitalic: check box, checked", "Section S2: tree item", "Item OBleft: radio button, checked",
               "Item OBright: radio button, not checked", "Item PLAIN: tree item"});
    QAccessibleInterface* bold = this->cellOf("CBbold");
    this->subject.tree().Nodes()->Item(rt::Variant("S1"))->setExpanded(rt::False16);
    checkRows({"Section S1: tree item", "Section S2: tree item", "Item OBleft: radio button, checked",
               "Item OBright: radio button, not checked", "Item PLAIN: tree item"});
    EXPECT_EQ(bold->tableCellInterface()->rowIndex(), -1) << "a row in a closed section";

    this->makeCurrent("OBright");
    EXPECT_EQ(table->selectedRows(), QList<int>{3});
    EXPECT_TRUE(table->isRowSelected(3));
    EXPECT_EQ(table->selectedCells(), QList<QAccessibleInterface*>{table->cellAt(3, 0)});
    EXPECT_TRUE(table->cellAt(3, 0)->tableCellInterface()->isSelected());
    EXPECT_TRUE(table->selectRow(1));
    EXPECT_EQ(table->selectedRows(), QList<int>{1}) << "one row at a time";
    EXPECT_FALSE(table->unselectRow(1)) << "the user cannot leave no row selected either";
    EXPECT_FALSE(table->selectColumn(0));

    EXPECT_EQ(table->cellAt(0, 0)->tableCellInterface()->columnHeaderCells(), QList<QAccessibleInterface*>{})
        << "the header is hidden";
    this->subject.widget()->setHeaderHidden(false);
    const auto headers = table->cellAt(0, 0)->tableCellInterface()->columnHeaderCells();
    ASSERT_EQ(headers.size(), 1);
    EXPECT_EQ(headers[0], this->tree()->child(0)) << "a header that shows is the first child";
    EXPECT_EQ(this->tree()->childCount(), 1 + 5);
    EXPECT_EQ(table->rowCount(), 5) << "the header is no row of the table";
}

TYPED_TEST(AccessibleViews, TheTreeHasANameAndEachItemItsTagAsDescription) {
    QWidget* widget = this->subject.widget();
    struct Case {
        const char* name;
        std::function<void(QWidget*)> set;
        const char* expected;
    };
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    const Case cases[] = {
        {"by default", [](QWidget*) {}, "Check boxes and option buttons"},
        {"in a group box", [&](QWidget* w) {
             auto* box = new QGroupBox(QStringLiteral("&Editor settings"));
             (new QVBoxLayout(box))->addWidget(w);
             layout->addWidget(box);
         }, "Editor settings"},
        {"with a label for it", [&](QWidget* w) {
             auto* label = new QLabel(QStringLiteral("&Options"));
             label->setBuddy(w);
             w->parentWidget()->layout()->addWidget(label);
         }, "Options"},
        {"named by the host", [](QWidget* w) { w->setAccessibleName(QStringLiteral("Fonts")); }, "Fonts"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        c.set(widget);
        EXPECT_EQ(this->tree()->text(QAccessible::Name).toStdString(), c.expected);
    }
    widget->setParent(nullptr);  // the view's widget again, for the fixture to delete

    this->manager->setTaginToolTip(rt::True16);
    this->subject.click("CBbold");
    EXPECT_EQ(widget->toolTip(), QStringLiteral("Note CBbold")) << "the tag shows as tool tip";
    EXPECT_EQ(this->tree()->text(QAccessible::Description), QString()) << "and is no description of the tree";
    widget->setAccessibleDescription(QStringLiteral("Fonts and alignment"));
    EXPECT_EQ(this->tree()->text(QAccessible::Description), QStringLiteral("Fonts and alignment"));
    EXPECT_EQ(this->cellOf("CBbold")->text(QAccessible::Description), QStringLiteral("Note CBbold"));
    EXPECT_EQ(this->cellOf("S2")->text(QAccessible::Description), QStringLiteral("Note S2"));
    this->subject.tree().Nodes()->Item(rt::Variant("CBitalic"))->setTag(rt::Variant(rt::Null{}));
    EXPECT_EQ(this->cellOf("CBitalic")->text(QAccessible::Description), QString()) << "a null tag says nothing";
}

TYPED_TEST(AccessibleViews, TheCurrentRowTakesTheFocusWhileTheTreeHasTheKeyboard) {
    this->rows();
    this->listen();
    this->makeCurrent("CBbold");
    ASSERT_TRUE(this->subject.widget()->hasFocus());
    this->heardNow();
    struct Step {
        const char* name;
        std::function<void(AccessibleViews<TypeParam>&)> act;
        Strings heard;
    };
    const Step steps[] = {
        {"the tree gets the keyboard", [](auto& t) { t.qtFocuses(); },
         {"Item CBbold: check box, not checked (focus)"}},
        {"the current row moves", [](auto& t) {
             t.subject.widget()->setCurrentIndex(t.subject.indexOf("CBitalic"));
             t.qtTells(QAccessible::Focus, "CBitalic");
         },
         {"Item CBitalic: check box, checked (focus)"}},
        {"Qt tells the same focus again", [](auto& t) { t.qtTells(QAccessible::Focus, "CBitalic"); }, {}},
        {"the window is left for another program's and activated again", [](auto& t) {
             t.qtTellsWindowActivation();  // deactivated
             t.qtTellsWindowActivation();  // and activated
             t.heardNow();                  // the window's own, passed on
             t.qtFocuses();
         },
         {"Item CBitalic: check box, checked (focus)"}},
        {"Qt tells the selection", [](auto& t) { t.qtTells(QAccessible::SelectionAdd, "CBitalic"); },
         {"Item CBitalic: check box, checked (selected)"}},
        {"the keyboard goes elsewhere; Qt still tells the current row's focus", [](auto& t) {
             t.subject.widget()->clearFocus();
             t.subject.widget()->setCurrentIndex(t.subject.indexOf("OBleft"));
             t.qtTells(QAccessible::Focus, "OBleft");
         },
         {}},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.name);
        step.act(*this);
        EXPECT_EQ(this->heardNow(), step.heard);
    }
    EXPECT_FALSE(this->cellOf("OBleft")->state().focused) << "the current row of a tree without the keyboard";
    EXPECT_EQ(this->tree()->focusChild(), this->cellOf("OBleft"));

    this->subject.widget()->setFocus();
    EXPECT_TRUE(this->cellOf("OBleft")->state().focused);
    EXPECT_FALSE(this->tree()->state().focused) << "the row has the focus, not the tree";
    this->subject.widget()->setCurrentIndex(QModelIndex());
    this->qtFocuses();
    EXPECT_EQ(this->heardNow(), Strings{"Check boxes and option buttons: tree (focus)"}) << "no current row";
    EXPECT_TRUE(this->tree()->state().focused);
}

TYPED_TEST(AccessibleViews, QtsEventsForRowsThatDoNotShowAreNotTold) {
    this->rows();
    this->subject.tree().Nodes()->Item(rt::Variant("S1"))->setExpanded(rt::False16);
    this->listen();
    this->heardNow();
    this->qtTells(QAccessible::SelectionRemove, "CBbold");  // in a closed section
    this->qtTells(QAccessible::SelectionAdd, "PLAIN");      // the last row: past the rows, as Qt numbers them
    EXPECT_EQ(this->heardNow(), Strings{"Item PLAIN: tree item (selected)"});
}

TYPED_TEST(AccessibleViews, ARowDeselectedAsItGoesIsNotTold) {
    // The widget's tree empties its selection before it removes its rows:
    // Qt tells the deselection of a row that is gone a moment later.
    struct Case {
        const char* name;
        std::function<void(AccessibleViews<TypeParam>&)> then;
        Strings heard;
    };
    const Case cases[] = {
        {"the row stays", [](auto&) {}, {"Item CBbold: check box, not checked (unselected)"}},
        {"the tree is built anew", [](auto& t) {
             t.manager->Refresh();
             t.manager->setTreeViewObject(t.subject.view);
             t.add("S1", {{"CBbold", TVSNodeStyle_CheckBoxoff}});
         },
         {}},
        {"the tree empties", [](auto& t) { t.subject.tree().Nodes()->Clear(); }, {}},
    };
    this->listen();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        this->rows();
        this->heardNow();
        this->qtTells(QAccessible::SelectionRemove, "CBbold");
        c.then(*this);
        EXPECT_EQ(this->heardNow(), c.heard);
    }
}

TYPED_TEST(AccessibleViews, SectionsTellOpeningAndClosing) {
    this->rows();
    this->listen();
    struct Step {
        const char* name;
        std::function<void(AccessibleViews<TypeParam>&)> act;
        Strings heard;
    };
    const Step steps[] = {
        {"Left on a section", [](auto& t) {
             t.makeCurrent("S1");
             QTest::keyClick(t.subject.widget(), Qt::Key_Left);
         },
         {"Section S1: tree item (closed)"}},
        {"Right", [](auto& t) { QTest::keyClick(t.subject.widget(), Qt::Key_Right); },
         {"Section S1: tree item (opened)"}},
        {"the manager closes all", [](auto& t) { t.manager->ExpandAll(rt::False16); },
         {"Section S1: tree item (closed)", "Section S2: tree item (closed)"}},
        {"Ctrl+A opens all", [](auto& t) { QTest::keyClick(t.subject.widget(), Qt::Key_A, Qt::ControlModifier); },
         {"Section S1: tree item (opened)", "Section S2: tree item (opened)"}},
        {"Collapse through assistive technology", [](auto& t) {
             t.cellOf("S2")->actionInterface()->doAction(qt_tree::AccessibleCell::collapseAction());
         },
         {"Section S2: tree item (closed)"}},
        {"and Expand", [](auto& t) {
             t.cellOf("S2")->actionInterface()->doAction(qt_tree::AccessibleCell::expandAction());
         },
         {"Section S2: tree item (opened)"}},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.name);
        step.act(*this);
        EXPECT_EQ(this->heardNow(), step.heard);
    }
    QAccessibleActionInterface* actions = this->cellOf("S1")->actionInterface();
    EXPECT_TRUE(actions->actionNames().contains(qt_tree::AccessibleCell::expandAction()));
    EXPECT_TRUE(actions->actionNames().contains(qt_tree::AccessibleCell::collapseAction()));
    EXPECT_FALSE(this->cellOf("CBbold")->actionInterface()->actionNames().contains(
        qt_tree::AccessibleCell::expandAction()))
        << "an item has nothing to open";
    EXPECT_FALSE(this->cellOf("CBbold")->state().expandable);
    EXPECT_FALSE(this->cellOf("CBbold")->state().expanded);
}

TYPED_TEST(AccessibleViews, AChangeInAClosedSectionIsToldOnceItShows) {
    this->rows();
    this->subject.tree().Nodes()->Item(rt::Variant("S1"))->setExpanded(rt::False16);
    this->listen();
    this->heardNow();
    this->manager->CBSelectAll("S1", rt::True16);
    EXPECT_EQ(this->heardNow(), Strings{}) << "its rows are no children of the tree now";
    this->subject.tree().Nodes()->Item(rt::Variant("S1"))->setExpanded(rt::True16);
    EXPECT_EQ(this->heardNow(),
              (Strings{"Section S1: tree item (opened)", "Item CBbold: check box, checked (checked changed)"}));
}

TYPED_TEST(AccessibleViews, CheckBoxesAndRadioButtonsTellScrollingOutOfViewAndBack) {
    std::vector<std::string> keys;
    for (int i = 0; i < 60; ++i) keys.push_back("CB" + std::to_string(100 + i));
    std::vector<typename AccessibleViews<TypeParam>::Item> many;
    for (const auto& key : keys) many.push_back({key.c_str(), TVSNodeStyle_CheckBoxoff});
    this->add("S3", many);
    this->rows();
    this->listen();
    // What scrolls away is hidden, what scrolls in shows; a plain item (a
    // section) is read anew each time and tells nothing.
    const auto scroll = [&](int to) {
        this->subject.widget()->verticalScrollBar()->setValue(to);
        Strings hidden, shown;
        for (const std::string& said : this->heardNow()) {
            EXPECT_EQ(said.find("Section"), std::string::npos) << said;
            const bool hides = said.ends_with("(hidden)");
            EXPECT_TRUE(hides || said.ends_with("(shows)")) << said;
            (hides ? hidden : shown).push_back(said.substr(0, said.find(':')));
        }
        return std::pair{hidden, shown};
    };
    QScrollBar* bar = this->subject.widget()->verticalScrollBar();
    ASSERT_GT(bar->maximum(), 0);
    const auto [away, in] = scroll(bar->maximum());
    ASSERT_FALSE(away.empty());
    ASSERT_FALSE(in.empty());
    EXPECT_EQ(away.front(), "Item CBbold");
    EXPECT_EQ(in.back(), "Item CB159");
    EXPECT_TRUE(this->cellOf("CBbold")->state().invisible);
    const auto [awayAgain, back] = scroll(0);
    EXPECT_EQ(back, away);
    EXPECT_EQ(awayAgain, in);
    EXPECT_FALSE(this->cellOf("CBbold")->state().invisible);
}

TYPED_TEST(AccessibleViews, ANewTextIsToldAsANewName) {
    this->rows();
    this->listen();
    this->subject.tree().Nodes()->Item(rt::Variant("CBbold"))->setText("Heavy");
    EXPECT_EQ(this->heardNow(), Strings{"Heavy: check box, not checked (renamed)"});
}

// The platform tells the object that had the focus last that it lost it when
// the focus moves on: the row of a gone node answers as it last did until
// then, and goes once the focus has moved twice. Every other row of a gone
// node goes at once.
TYPED_TEST(AccessibleViews, TheFocusedRowOutlivesItsNodeUntilTheFocusMovesOn) {
    this->rows();
    this->listen();
    this->makeCurrent("CBbold");
    this->qtFocuses();
    const QAccessible::Id bold = QAccessible::uniqueId(this->cellOf("CBbold"));
    const QAccessible::Id italic = QAccessible::uniqueId(this->cellOf("CBitalic"));
    this->heardNow();

    this->subject.tree().Nodes()->Clear();
    EXPECT_EQ(QAccessible::accessibleInterface(italic), nullptr);
    QAccessibleInterface* gone = QAccessible::accessibleInterface(bold);
    ASSERT_NE(gone, nullptr);
    EXPECT_TRUE(gone->isValid()) << "asked about, it warns no one";
    EXPECT_EQ(said(gone), "Item CBbold: check box, not checked");
    EXPECT_TRUE(gone->state().invisible);
    EXPECT_FALSE(gone->state().focused);
    EXPECT_EQ(this->tree()->indexOfChild(gone), -1);
    EXPECT_EQ(this->tree()->childCount(), 0);
    EXPECT_EQ(this->heardNow(), Strings{"Check boxes and option buttons: tree (focus)"})
        << "the focus goes to the tree, which has the keyboard";

    this->add("S1", {{"CBbold", TVSNodeStyle_CheckBoxOn}});
    ASSERT_NE(QAccessible::accessibleInterface(bold), nullptr) << "the focus has moved once";
    this->makeCurrent("CBbold");
    this->qtFocuses();
    EXPECT_EQ(this->heardNow(), Strings{"Item CBbold: check box, checked (focus)"});
    EXPECT_EQ(QAccessible::accessibleInterface(bold), nullptr) << "the focus has moved twice";
    EXPECT_NE(QAccessible::uniqueId(this->cellOf("CBbold")), bold);
}

}  // namespace
}  // namespace qt_tests
