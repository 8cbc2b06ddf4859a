// The tree used from the keyboard alone: Space clicks the current item once
// its key is up, and the other keys reach the manager as before.
#include <QKeyEvent>
#include <functional>
#include <utility>
#include <gtest/gtest.h>

#include "adapters/qt/tests/managed_tree.h"
#include "adapters/qt/tests/recording_listener.h"

namespace qt_tests {
namespace {

class SpaceKeyTest : public ManagedTreeTest {
public:
    void SetUp() override { addFontsAndAlignment(); }
    void space(Qt::KeyboardModifiers modifiers = {}) { QTest::keyClick(widget(), Qt::Key_Space, modifiers); }
    // What a key held down sends: presses and releases marked as repeats.
    void repeatSpace(int times) {
        for (int i = 0; i < times; ++i) {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "), true);
            QApplication::sendEvent(widget(), &press);
            QKeyEvent release(QEvent::KeyRelease, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "), true);
            QApplication::sendEvent(widget(), &release);
        }
    }
};

TEST_F(SpaceKeyTest, SpaceTogglesACheckBoxAndSwitchesAnOptionButtonOn) {
    struct Step {
        const char* current;
        Strings fonts;
        Strings alignment;
    };
    const Step steps[] = {
        {"CBbold", {"chkon", "chkon", "chkoff"}, {"opton", "optoff", "optoff", "chkon"}},
        {"CBbold", {"chkoff", "chkon", "chkoff"}, {"opton", "optoff", "optoff", "chkon"}},
        {"CBitalic", {"chkoff", "chkoff", "chkoff"}, {"opton", "optoff", "optoff", "chkon"}},
        {"OBright", {"chkoff", "chkoff", "chkoff"}, {"optoff", "optoff", "opton", "chkon"}},
        {"OBright", {"chkoff", "chkoff", "chkoff"}, {"optoff", "optoff", "opton", "chkon"}},
        {"OBcenter", {"chkoff", "chkoff", "chkoff"}, {"optoff", "opton", "optoff", "chkon"}},
        {"PLAIN", {"chkoff", "chkoff", "chkoff"}, {"optoff", "opton", "optoff", "chkon"}},
        {"S1", {"chkoff", "chkoff", "chkoff"}, {"optoff", "opton", "optoff", "chkon"}},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(std::string("Space on ") + step.current);
        makeCurrent(step.current);
        space();
        EXPECT_EQ(imagesUnder("S1"), step.fonts);
        EXPECT_EQ(imagesUnder("S2"), step.alignment);
    }
    EXPECT_EQ(manager->NodeChildren(), 3) << "Space on a section records it as a click does";
    EXPECT_EQ(reports(), std::vector<testing_support::Report>{});
}

TEST_F(SpaceKeyTest, TheClickFollowsTheKeyUp) {
    RecordingListener listener;
    const int32_t cookie = subject.view->advise(&listener);
    makeCurrent("CBbold");
    QTest::keyPress(widget(), Qt::Key_Space);
    EXPECT_EQ(listener.events, Strings{"down 32 0"});
    EXPECT_EQ(imagesUnder("S1")[0], "chkoff") << "nothing changes while the key is down";
    QTest::keyRelease(widget(), Qt::Key_Space);
    EXPECT_EQ(listener.events, (Strings{"down 32 0", "up 32 0", "click CBbold"}));
    EXPECT_EQ(imagesUnder("S1")[0], "chkon");
    subject.view->unadvise(cookie);
}

TEST_F(SpaceKeyTest, AKeyHeldDownChangesNothingUntilItComesUp) {
    makeCurrent("CBbold");
    QTest::keyPress(widget(), Qt::Key_Space);
    repeatSpace(5);
    EXPECT_EQ(imagesUnder("S1"), (Strings{"chkoff", "chkon", "chkoff"}));
    QTest::keyRelease(widget(), Qt::Key_Space);
    EXPECT_EQ(imagesUnder("S1"), (Strings{"chkon", "chkon", "chkoff"})) << "one click for one press";

}

TEST_F(SpaceKeyTest, OnlySpaceAloneOnTheItemCurrentAtBothEndsClicks) {
    struct Case {
        const char* name;
        std::function<void(SpaceKeyTest&)> keys;
    };
    const Case cases[] = {
        {"Ctrl+Space selects, as in any item view", [](SpaceKeyTest& t) { t.space(Qt::ControlModifier); }},
        {"Shift+Space", [](SpaceKeyTest& t) { t.space(Qt::ShiftModifier); }},
        {"Alt+Space", [](SpaceKeyTest& t) { t.space(Qt::AltModifier); }},
        {"the current item moves while Space is down",
         [](SpaceKeyTest& t) {
             QTest::keyPress(t.widget(), Qt::Key_Space);
             QTest::keyClick(t.widget(), Qt::Key_Down);
             QTest::keyRelease(t.widget(), Qt::Key_Space);
         }},
        {"the focus leaves while Space is down",
         [](SpaceKeyTest& t) {
             QTest::keyPress(t.widget(), Qt::Key_Space);
             QFocusEvent out(QEvent::FocusOut);
             QApplication::sendEvent(t.widget(), &out);
             QTest::keyRelease(t.widget(), Qt::Key_Space);
         }},
        {"a release without press", [](SpaceKeyTest& t) { QTest::keyRelease(t.widget(), Qt::Key_Space); }},
        {"turned off by the host",
         [](SpaceKeyTest& t) {
             t.subject.view->setSpaceActsAsClick(false);
             t.space();
             t.subject.view->setSpaceActsAsClick(true);
         }},
        {"turned off while Space is down",
         [](SpaceKeyTest& t) {
             QTest::keyPress(t.widget(), Qt::Key_Space);
             t.subject.view->setSpaceActsAsClick(false);
             QTest::keyRelease(t.widget(), Qt::Key_Space);
             t.subject.view->setSpaceActsAsClick(true);
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        makeCurrent("CBitalic");
        c.keys(*this);
        EXPECT_EQ(imagesUnder("S1"), (Strings{"chkoff", "chkon", "chkoff"}));
    }
    EXPECT_TRUE(subject.view->spaceActsAsClick());
    makeCurrent("CBitalic");
    space();
    EXPECT_EQ(imagesUnder("S1"), (Strings{"chkoff", "chkoff", "chkoff"})) << "and on again";
}

TEST_F(SpaceKeyTest, NoCurrentItemOrAHostsItemClicksNothing) {
    RecordingListener listener;
    const int32_t cookie = subject.view->advise(&listener);
    widget()->setFocus();
    widget()->setCurrentItem(nullptr);
    space();
    auto* hostItem = new QTreeWidgetItem(QStringList{QStringLiteral("the host's own")});
    widget()->addTopLevelItem(hostItem);
    widget()->setCurrentItem(hostItem);
    space();
    EXPECT_EQ(listener.events, (Strings{"down 32 0", "up 32 0", "down 32 0", "up 32 0"}));
    subject.view->unadvise(cookie);
}

// Moving around keeps raising the key events that the manager has always
// had, and moves the current item as in any tree.
TEST_F(SpaceKeyTest, ArrowsHomeAndEndReachTheManagerAndMoveTheCurrentItem) {
    RecordingListener listener;
    const int32_t cookie = subject.view->advise(&listener);
    makeCurrent("S1");
    struct Step {
        Qt::Key key;
        const char* current;
        const char* down;
    };
    const Step steps[] = {
        {Qt::Key_Down, "CBbold", "down 40 0"}, {Qt::Key_Down, "CBitalic", "down 40 0"},
        {Qt::Key_Up, "CBbold", "down 38 0"},   {Qt::Key_End, "PLAIN", "down 35 0"},
        {Qt::Key_Home, "S1", "down 36 0"},     {Qt::Key_Left, "S1", "down 37 0"},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.down);
        listener.events.clear();
        QTest::keyClick(widget(), step.key);
        EXPECT_EQ(widget()->currentItem(), subject.item(step.current));
        ASSERT_EQ(listener.events.size(), 2u);
        EXPECT_EQ(listener.events[0], step.down);
    }
    EXPECT_FALSE(subject.item("S1")->isExpanded()) << "Left closed the section";
    subject.view->unadvise(cookie);
}

// A listener may empty the tree, or let the view go, on the key-up that
// comes before the click.
TEST_F(SpaceKeyTest, AKeyUpThatEmptiesTheTreeOrReleasesTheViewIsSafe) {
    struct Releasing : RecordingListener {
        std::function<void()> onKeyUp;
        void KeyUp(int16_t& keyCode, int16_t& shift) override {
            RecordingListener::KeyUp(keyCode, shift);
            if (onKeyUp) std::exchange(onKeyUp, nullptr)();
        }
    } listener;
    listener.onKeyUp = [&] { subject.view->Nodes()->Clear(); };
    int32_t cookie = subject.view->advise(&listener);
    makeCurrent("CBbold");
    space();
    EXPECT_EQ(listener.events, (Strings{"down 32 0", "up 32 0"}));
    subject.view->unadvise(cookie);

    // The view goes while the widget stays, in the middle of the key's events.
    manager->setTreeViewObject(nullptr);
    auto* host = new QTreeWidget;
    auto view = rt::make<qt_tree::QtTreeView>(host);
    rt::Variant none;
    view->Nodes()->Add(none, none, rt::Variant("CBx"), rt::Variant("x"), none);
    host->setCurrentItem(host->topLevelItem(0));
    listener.events.clear();
    cookie = view->advise(&listener);
    listener.onKeyUp = [&] {
        view->unadvise(cookie);
        view = nullptr;
    };
    QTest::keyClick(host, Qt::Key_Space);
    EXPECT_EQ(listener.events, (Strings{"down 32 0", "up 32 0"}));
    delete host;
}

}  // namespace
}  // namespace qt_tests
