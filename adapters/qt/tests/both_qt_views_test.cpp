// What a keyboard and a screen reader user get from either Qt tree view, the
// one over a tree widget and the one over a model: each row's role and
// checked state as its image key says, before and after a click, a select
// all and Space; Space toggling a check box and switching an option button
// on; a key held down changing nothing.
#include <QAccessible>
#include <QApplication>
#include <QKeyEvent>
#include <QMainWindow>
#include <QPointer>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "adapters/qt/tests/heard_events.h"
#include "adapters/qt/tests/tree_subjects.h"
#include "manager/hidden_form.h"
#include "manager/style_manager.h"
#include "outside/tree_text.h"
#include "testing/recording_handler.h"

namespace qt_tests {
namespace {

using namespace Sarn10B;
using Strings = std::vector<std::string>;

template <class Subject>
class BothQtViews : public testing_support::ChannelTest {
public:
    BothQtViews() {
        frmKwAmbrTvsA::drop();
        manager->setTreeViewObject(subject.view);
        add("S1", {{"CBbold", TVSNodeStyle_CheckBoxoff}, {"CBitalic", TVSNodeStyle_CheckBoxOn}});
        add("S2", {{"OBleft", TVSNodeStyle_OptionButtonOn},
                   {"OBright", TVSNodeStyle_OptionButtonOff},
                   {"PLAIN", TVSNodeStyle_CheckBoxOn}});
        QApplication::processEvents();
        handler.clear();
    }
    ~BothQtViews() override {
        manager->setTreeViewObject(nullptr);
        frmKwAmbrTvsA::drop();
    }

    struct Item {
        const char* key;
        int32_t style;
    };
    void add(const std::string& section, const std::vector<Item>& items) {
        manager->AddNode({.sKey = section, .sText = "Section " + section,
                          .enumTVSNodeStyle = TVSNodeStyle_Default, .bExpanded = rt::True16});
        for (const auto& item : items)
            manager->AddNode({.sRelative = section, .sRelationship = tree::tvwChild, .sKey = item.key,
                              .sText = std::string("Item ") + item.key, .enumTVSNodeStyle = item.style});
    }
    // Every row as a screen reader says it (the header is hidden).
    Strings rows() {
        QAccessibleInterface* tree = QAccessible::queryAccessibleInterface(subject.widget());
        Strings out;
        for (int i = 0; i < tree->childCount(); ++i) out.push_back(said(tree->child(i)));
        return out;
    }
    Strings images(const std::string& section) {
        Strings out;
        for (auto item = subject.tree().Nodes()->Item(section)->Child(); item; item = item->Next())
            out.push_back(tree::imageText(item->Image()));
        return out;
    }
    void makeCurrent(const std::string& key) {
        subject.widget()->setFocus();
        subject.widget()->setCurrentIndex(subject.indexOf(key));
    }

    Subject subject;
    rt::Ref<clsKwAmbrTvsA> manager = rt::make<clsKwAmbrTvsA>();
};

struct ViewNames {
    template <class T>
    static std::string GetName(int) {
        return std::is_same_v<T, QtSubject> ? "Widget" : "Model";
    }
};
using QtSubjects = ::testing::Types<QtSubject, QtModelSubject>;
TYPED_TEST_SUITE(BothQtViews, QtSubjects, ViewNames);

TYPED_TEST(BothQtViews, RowsSayTheirRoleAndStateBeforeAndAfterEachChange) {
    struct Step {
        const char* name;
        std::function<void(BothQtViews<TypeParam>&)> act;
        Strings rows;
    };
    const Step steps[] = {
        {"as added", [](auto&) {},
         {"Section S1: tree item", "Item CBbold: check box, not checked", "Item CBitalic: check box, checked",
          "Section S2: tree item", "Item OBleft: radio button, checked", "Item OBright: radio button, not checked",
          "Item PLAIN: tree item"}},
        {"a click on Bold", [](auto& t) { t.subject.click("CBbold"); },
         {"Section S1: tree item", "Item CBbold: check box, checked", "Item CBitalic: check box, checked",
          "Section S2: tree item", "Item OBleft: radio button, checked", "Item OBright: radio button, not checked",
          "Item PLAIN: tree item"}},
        {"select all off", [](auto& t) { t.manager->CBSelectAll("S1", rt::False16); },
         {"Section S1: tree item", "Item CBbold: check box, not checked", "Item CBitalic: check box, not checked",
          "Section S2: tree item", "Item OBleft: radio button, checked", "Item OBright: radio button, not checked",
          "Item PLAIN: tree item"}},
        {"Space on Right",
         [](auto& t) {
             t.makeCurrent("OBright");
             QTest::keyClick(t.subject.widget(), Qt::Key_Space);
         },
         {"Section S1: tree item", "Item CBbold: check box, not checked", "Item CBitalic: check box, not checked",
          "Section S2: tree item", "Item OBleft: radio button, not checked", "Item OBright: radio button, checked",
          "Item PLAIN: tree item"}},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.name);
        step.act(*this);
        QApplication::processEvents();
        EXPECT_EQ(this->rows(), step.rows);
    }
}

TYPED_TEST(BothQtViews, ANewStateIsToldOnceTheEventLoopRuns) {
    this->rows();  // assistive technology has asked for every row
    Strings heard;
    HeardEvents listening([&](QAccessibleEvent* event) { heard.push_back(saidChange(event)); });
    this->subject.click("OBright");
    QApplication::processEvents();
    EXPECT_EQ(heard, (Strings{"Item OBleft: radio button, not checked (checked changed)",
                              "Item OBright: radio button, checked (checked changed)"}));
}

TYPED_TEST(BothQtViews, SpaceTogglesACheckBoxAndSwitchesAnOptionButtonOn) {
    this->makeCurrent("CBbold");
    QTest::keyClick(this->subject.widget(), Qt::Key_Space);
    EXPECT_EQ(this->images("S1"), (Strings{"chkon", "chkon"}));
    QTest::keyClick(this->subject.widget(), Qt::Key_Space);
    EXPECT_EQ(this->images("S1"), (Strings{"chkoff", "chkon"}));
    this->makeCurrent("OBright");
    QTest::keyClick(this->subject.widget(), Qt::Key_Space);
    EXPECT_EQ(this->images("S2"), (Strings{"optoff", "opton", "chkon"}));
    EXPECT_EQ(this->reports(), std::vector<testing_support::Report>{});
}

TYPED_TEST(BothQtViews, AKeyHeldDownChangesNothingUntilItComesUp) {
    this->makeCurrent("CBbold");
    QTest::keyPress(this->subject.widget(), Qt::Key_Space);
    for (int i = 0; i < 3; ++i) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "), true);
        QApplication::sendEvent(this->subject.widget(), &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "), true);
        QApplication::sendEvent(this->subject.widget(), &release);
    }
    EXPECT_EQ(this->images("S1"), (Strings{"chkoff", "chkon"})) << "nothing while the key is down";
    QTest::keyRelease(this->subject.widget(), Qt::Key_Space);
    EXPECT_EQ(this->images("S1"), (Strings{"chkon", "chkon"})) << "Space clicks once it comes up";
}

// The views themselves, without a manager.
template <class View>
class EitherQtView : public ::testing::Test {};
struct ViewClassNames {
    template <class T>
    static std::string GetName(int) {
        return std::is_same_v<T, qt_tree::QtTreeView> ? "Widget" : "Model";
    }
};
using QtViewClasses = ::testing::Types<qt_tree::QtTreeView, qt_tree::QtModelTreeView>;
TYPED_TEST_SUITE(EitherQtView, QtViewClasses, ViewClassNames);

TYPED_TEST(EitherQtView, AViewDeletesItsOwnWidgetUnlessAWindowTookItIn) {
    QPointer<QWidget> alone;
    {
        auto view = rt::make<TypeParam>();
        alone = view->widget();
    }
    EXPECT_TRUE(alone.isNull());

    QMainWindow window;
    QPointer<QWidget> housed;
    {
        auto view = rt::make<TypeParam>();
        housed = view->widget();
        window.setCentralWidget(housed);
    }
    EXPECT_FALSE(housed.isNull());
}

}  // namespace
}  // namespace qt_tests
