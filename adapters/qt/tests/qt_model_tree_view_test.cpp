// What only the tree view over a model has: the rows that it tells its
// widget in one go, reads of the model that always see every node, a widget
// of the host's, and the lives of the view, the widget and the model.
#include <QAbstractItemModelTester>
#include <QApplication>
#include <QSignalSpy>
#include <QScrollBar>
#include <QStandardItemModel>
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "adapters/qt/qt_model_tree_view.h"
#include "adapters/qt/tests/recording_listener.h"
#include "adapters/qt/tests/tree_subjects.h"
#include "outside/tests/add_texts_cases.h"
#include "manager/hidden_form.h"
#include "manager/style_manager.h"
#include "testing/error_number.h"
#include "testing/recording_handler.h"

namespace qt_tests {
namespace {

using testing_support::errorNumberOf;

// An insertion as the model told it: owner's key, first and last row.
struct Told {
    std::string owner;
    int first;
    int last;
    bool operator==(const Told&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Told& t) {
    return out << t.owner << " " << t.first << ".." << t.last;
}

class QtModelTreeViewTest : public ::testing::Test {
protected:
    QtModelTreeViewTest() {
        // Qt's own checks of a model's answers and signals; a broken one
        // aborts the test program.
        tester = std::make_unique<QAbstractItemModelTester>(model(),
                                                            QAbstractItemModelTester::FailureReportingMode::Fatal);
        QObject::connect(model(), &QAbstractItemModel::rowsInserted, model(),
                         [this](const QModelIndex& owner, int first, int last) {
                             told.push_back({owner.data(Qt::UserRole).toString().toStdString(), first, last});
                         });
    }
    QAbstractItemModel* model() { return subject.view->model(); }
    rt::Ref<tree::TreeNode> add(const rt::Variant& relative, int16_t relationship, const std::string& key) {
        return subject.tree().Nodes()->Add(relative, relative.isMissing() ? rt::Variant(rt::Missing{}) : relationship,
                                           key, "text " + key, rt::Missing{});
    }
    QModelIndex indexOf(const std::string& key) { return subject.indexOf(key); }
    // The keys of an owner's rows, as the model gives them.
    std::vector<std::string> rowsUnder(const QModelIndex& owner) {
        std::vector<std::string> keys;
        for (int row = 0; row < model()->rowCount(owner); ++row)
            keys.push_back(model()->index(row, 0, owner).data(Qt::UserRole).toString().toStdString());
        return keys;
    }

    QtModelSubject subject;
    std::unique_ptr<QAbstractItemModelTester> tester;
    std::vector<Told> told;
};

TEST_F(QtModelTreeViewTest, AppendedRowsAreToldTogetherWhenTheEventLoopRuns) {
    add(rt::Missing{}, 0, "S");
    for (int i = 0; i < 5; ++i) add("S", tree::tvwChild, "C" + std::to_string(i));
    QApplication::processEvents();
    EXPECT_EQ(told, (std::vector<Told>{{"", 0, 0}, {"S", 0, 4}}));
    EXPECT_EQ(rowsUnder(indexOf("S")), (std::vector<std::string>{"C0", "C1", "C2", "C3", "C4"}));
    subject.checkInvariants();
}

// Adds with their texts as texts (as the manager adds) check and place as
// Add does, and are told to the model's views as Add's are: appended rows
// together, an insertion before others at once.
TEST(QtModelTreeViewAddTexts, ChecksPlacesAndKeepsWhatAddWithVariantsDoes) {
    add_texts_cases::expectAddTextsAsAddWithVariants<qt_tree::QtModelTreeView>();
}

TEST_F(QtModelTreeViewTest, AddsWithTextsAreToldAsAddsWithVariants) {
    auto nodes = subject.tree().Nodes();
    nodes->addTexts("", tree::tvwLast, "S", "S", "");
    for (const char* key : {"A", "B", "C"}) nodes->addTexts("S", tree::tvwChild, key, key, "");
    nodes->addTexts("A", tree::tvwPrevious, "Z", "Z", "");
    nodes->addTexts("S", tree::tvwChild, "D", "D", "");
    QApplication::processEvents();
    EXPECT_EQ(told, (std::vector<Told>{{"", 0, 0}, {"S", 0, 2}, {"S", 0, 0}, {"S", 4, 4}}));
    EXPECT_EQ(rowsUnder(indexOf("S")), (std::vector<std::string>{"Z", "A", "B", "C", "D"}));
    subject.checkInvariants();
}

// Whatever a host reads of the model right after an add finds the new
// rows: reading tells them first.
TEST_F(QtModelTreeViewTest, EveryReadOfTheModelSeesEveryNode) {
    add(rt::Missing{}, 0, "S");
    const QModelIndex section = model()->index(0, 0);
    subject.widget()->expand(section);
    add("S", tree::tvwChild, "A");
    EXPECT_EQ(model()->rowCount(section), 1);
    add("S", tree::tvwChild, "B");
    EXPECT_TRUE(model()->hasChildren(section));
    EXPECT_EQ(model()->index(1, 0, section).data(Qt::UserRole).toString(), "B");
    add("S", tree::tvwChild, "C");
    EXPECT_EQ(subject.widget()->indexBelow(model()->index(1, 0, section)).data(Qt::UserRole).toString(), "C")
        << "once the widget lays the rows out";
    EXPECT_EQ(told, (std::vector<Told>{{"", 0, 0}, {"S", 0, 0}, {"S", 1, 1}, {"S", 2, 2}}));
}

// Rows inserted before others move rows that views may hold: they are told
// at once, after the rows owed before them.
TEST_F(QtModelTreeViewTest, InsertionsBeforeOtherRowsAreToldAtOnceInTheirOrder) {
    struct Step {
        const char* relative;
        int16_t relationship;
        const char* key;
    };
    const Step steps[] = {
        {nullptr, 0, "S"},          {"S", tree::tvwChild, "A"},  {"S", tree::tvwChild, "B"},
        {"A", tree::tvwFirst, "F"}, {"B", tree::tvwNext, "N"},   {"S", tree::tvwChild, "Z"},
        {"A", tree::tvwPrevious, "P"}, {nullptr, 0, "T"},        {"T", tree::tvwChild, "T1"},
        {"S", tree::tvwChild, "Y"},
    };
    for (const auto& s : steps) add(s.relative ? rt::Variant(s.relative) : rt::Variant(rt::Missing{}), s.relationship, s.key);
    QApplication::processEvents();
    EXPECT_EQ(told, (std::vector<Told>{{"", 0, 0},
                                       {"S", 0, 1},  // A and B, owed
                                       {"S", 0, 0},  // F first
                                       {"S", 3, 4},  // N after the last, an append, and Z: owed until P comes
                                       {"S", 1, 1},  // P before A
                                       {"", 1, 1},   // T, owed until its child comes
                                       {"T", 0, 0},  // T1, owed until Y comes
                                       {"S", 6, 6}}));
    EXPECT_EQ(rowsUnder(indexOf("S")), (std::vector<std::string>{"F", "P", "A", "B", "N", "Z", "Y"}));
    subject.checkInvariants();
}

TEST_F(QtModelTreeViewTest, ANodeOpenedBeforeItHadChildrenOpensWithTheFirst) {
    auto s = add(rt::Missing{}, 0, "S");
    auto leaf = add(rt::Missing{}, 0, "L");
    s->setExpanded(rt::True16);
    leaf->setExpanded(static_cast<int16_t>(5));
    EXPECT_EQ(s->Expanded(), rt::True16);
    EXPECT_EQ(leaf->Expanded(), 5) << "a node without children keeps the value given";
    add("S", tree::tvwChild, "A");
    EXPECT_TRUE(subject.widget()->isExpanded(indexOf("S")));
    subject.widget()->collapse(indexOf("S"));
    EXPECT_EQ(s->Expanded(), rt::False16) << "the user closed it";
}

// A walk gives every row the same picture again, or changes a few: only
// the changed rows are told, one change per run of neighbouring rows.
TEST_F(QtModelTreeViewTest, PictureChangesAreToldPerRunOfChangedRows) {
    auto list = rt::make<tree::ImageList>();
    for (const char* key : {"on", "off"}) list->ListImages()->Add(rt::Missing{}, key, rt::make<rt::Picture>(rt::PictureType::Bitmap, 16, 16));
    subject.view->SetImageList(list);
    add(rt::Missing{}, 0, "S");
    std::vector<rt::Ref<tree::TreeNode>> items;
    for (int i = 0; i < 6; ++i) items.push_back(add("S", tree::tvwChild, "C" + std::to_string(i)));
    for (auto& item : items) item->setImage("off");
    QApplication::processEvents();
    QSignalSpy changes(model(), &QAbstractItemModel::dataChanged);

    for (auto& item : items) item->setImage("off");
    QApplication::processEvents();
    EXPECT_EQ(changes.count(), 0) << "the same picture again";

    for (int i : {0, 1, 4}) items[static_cast<size_t>(i)]->setImage("on");
    EXPECT_EQ(changes.count(), 0) << "told once the event loop runs";
    QApplication::processEvents();
    std::vector<std::pair<int, int>> runs;
    for (const auto& change : changes)
        runs.emplace_back(change[0].value<QModelIndex>().row(), change[1].value<QModelIndex>().row());
    EXPECT_EQ(runs, (std::vector<std::pair<int, int>>{{0, 1}, {4, 4}}));
    EXPECT_EQ(items[4]->Image(), rt::Variant("on"));
}

// However a walk goes over the rows, every changed row is told under its
// own owner, and no row that kept its picture is told.
TEST_F(QtModelTreeViewTest, PictureChangesAreToldUnderTheirOwnersInAnyOrder) {
    auto list = rt::make<tree::ImageList>();
    for (const char* key : {"on", "off"}) list->ListImages()->Add(rt::Missing{}, key, rt::make<rt::Picture>(rt::PictureType::Bitmap, 16, 16));
    subject.view->SetImageList(list);
    for (const char* owner : {"S", "T"}) {
        add(rt::Missing{}, 0, owner);
        for (int i = 0; i < 5; ++i) add(owner, tree::tvwChild, owner + std::to_string(i))->setImage("off");
    }
    QApplication::processEvents();

    struct Case {
        const char* name;
        std::vector<std::string> changed;  // in the order of the walk
    };
    const Case cases[] = {
        {"forwards", {"S0", "S1", "S2"}},
        {"backwards", {"S4", "S3", "S2"}},
        {"one row on and off again", {"S1", "S1"}},
        {"rows of one number under two owners", {"S1", "T2", "S2", "T3"}},
        {"the next row under another owner", {"S1", "T2"}},
        {"scattered", {"S4", "S0", "T4", "S2", "T0"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QSignalSpy changes(model(), &QAbstractItemModel::dataChanged);
        std::set<std::string> expected;
        for (const std::string& key : c.changed) {
            rt::Ref<tree::TreeNode> node = subject.tree().Nodes()->Item(key);
            node->setImage(rt::toText(node->Image()) == "on" ? "off" : "on");
            expected.insert(key);
        }
        QApplication::processEvents();
        std::set<std::string> told;
        for (const auto& change : changes) {
            const auto first = change[0].value<QModelIndex>();
            const auto last = change[1].value<QModelIndex>();
            ASSERT_EQ(first.parent(), last.parent()) << "one change spans one owner's rows";
            for (int row = first.row(); row <= last.row(); ++row)
                told.insert(model()->index(row, 0, first.parent()).data(Qt::UserRole).toString().toStdString());
        }
        EXPECT_EQ(told, expected);
    }
    subject.checkInvariants();
}

// A shown node without children that gets one answers at once that it has
// children, and the widget opens it and shows the child below it.
TEST_F(QtModelTreeViewTest, ANodeThatGetsItsFirstChildOpensInTheWidget) {
    add(rt::Missing{}, 0, "S");
    add("S", tree::tvwChild, "L");
    add("S", tree::tvwChild, "M");
    QTreeView* widget = subject.widget();
    widget->expand(indexOf("S"));
    QApplication::processEvents();
    const QModelIndex leaf = indexOf("L");
    EXPECT_FALSE(model()->hasChildren(leaf));

    add("L", tree::tvwChild, "L1");
    EXPECT_TRUE(model()->hasChildren(leaf)) << "right after the add";
    EXPECT_FALSE(model()->hasChildren(indexOf("M")));
    QApplication::processEvents();
    widget->expand(leaf);
    EXPECT_TRUE(widget->isExpanded(leaf));
    EXPECT_EQ(widget->indexBelow(leaf), indexOf("L1"));
    EXPECT_EQ(widget->indexBelow(indexOf("L1")), indexOf("M"));
    subject.checkInvariants();
}

// A change of most rows has the widget lay its rows out again instead of
// asking about each: it is still told to every view, painted, and the
// widget keeps its rows, current row and scrolling.
TEST_F(QtModelTreeViewTest, AChangeOfMostRowsIsToldAndPaintedAfterOneLayout) {
    auto list = rt::make<tree::ImageList>();
    for (const char* key : {"on", "off"}) list->ListImages()->Add(rt::Missing{}, key, rt::make<rt::Picture>(rt::PictureType::Bitmap, 16, 16));
    subject.view->SetImageList(list);
    add(rt::Missing{}, 0, "S");
    std::vector<rt::Ref<tree::TreeNode>> items;
    for (int i = 0; i < 200; ++i) items.push_back(add("S", tree::tvwChild, "C" + std::to_string(i)));
    for (auto& item : items) item->setImage("off");
    QTreeView* widget = subject.widget();
    widget->expand(indexOf("S"));
    widget->setCurrentIndex(indexOf("C40"));
    widget->scrollTo(indexOf("C40"), QAbstractItemView::PositionAtTop);
    QApplication::processEvents();
    const int scrolled = widget->verticalScrollBar()->value();
    ASSERT_GT(scrolled, 0);

    struct Paints : QObject {
        int count = 0;
        bool eventFilter(QObject*, QEvent* e) override {
            if (e->type() == QEvent::Paint) ++count;
            return false;
        }
    } paints;
    widget->viewport()->installEventFilter(&paints);
    QSignalSpy changes(model(), &QAbstractItemModel::dataChanged);
    for (auto& item : items) item->setImage("on");
    for (int pass = 0; pass < 10; ++pass) QApplication::processEvents();
    widget->viewport()->removeEventFilter(&paints);

    ASSERT_EQ(changes.count(), 1);
    EXPECT_EQ(changes[0][0].value<QModelIndex>().row(), 0);
    EXPECT_EQ(changes[0][1].value<QModelIndex>().row(), 199);
    EXPECT_GE(paints.count, 1);
    EXPECT_EQ(widget->indexBelow(indexOf("C40")), indexOf("C41"));
    EXPECT_EQ(widget->currentIndex(), indexOf("C40"));
    EXPECT_EQ(widget->verticalScrollBar()->value(), scrolled);
    EXPECT_TRUE(widget->visualRect(indexOf("C41")).isValid());
    subject.checkInvariants();
}

TEST_F(QtModelTreeViewTest, TheModelShowsTextPictureAndKeyAndTakesTheUsersEdits) {
    auto a = add(rt::Missing{}, 0, "A");
    const QModelIndex at = indexOf("A");
    EXPECT_EQ(at.data().toString(), "text A");
    EXPECT_EQ(at.data(Qt::UserRole).toString(), "A");
    EXPECT_TRUE(at.data(Qt::DecorationRole).isNull());
    EXPECT_TRUE(model()->flags(at).testFlag(Qt::ItemIsEditable));
    EXPECT_TRUE(model()->setData(at, QStringLiteral("edited")));
    EXPECT_EQ(a->Text(), "edited");
    a->setText("by the host");
    EXPECT_EQ(at.data().toString(), "by the host");
    EXPECT_EQ(subject.view->nodeOf(at)->Key(), "A");
    EXPECT_EQ(subject.view->nodeOf(QModelIndex()), nullptr);
}

// The model's decorations follow the list, its pictures and the nodes'
// image keys, however often a widget asks for them.
TEST_F(QtModelTreeViewTest, DecorationsFollowTheListItsPicturesAndTheKeys) {
    const auto plain = [](rt::Rgb colour) {
        auto picture = rt::make<rt::Picture>(rt::PictureType::Bitmap, 16, 16);
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) picture->setPixel(x, y, colour);
        return picture;
    };
    const auto listOf = [&](std::initializer_list<std::pair<const char*, rt::Rgb>> pictures) {
        auto list = rt::make<tree::ImageList>();
        for (auto [key, colour] : pictures) list->ListImages()->Add(rt::Missing{}, key, plain(colour));
        return list;
    };
    // The colour in the middle of what the model shows for a node; 0 for
    // none, 1 for no decoration at all.
    const auto shown = [&](const std::string& key) -> QRgb {
        const QVariant decoration = indexOf(key).data(Qt::DecorationRole);
        if (!decoration.isValid()) return 1;
        const QIcon icon = decoration.value<QIcon>();
        return icon.isNull() ? 0 : icon.pixmap(QSize(16, 16)).toImage().pixel(8, 8);
    };
    constexpr QRgb Red = 0xffff0000, Green = 0xff00ff00, Blue = 0xff0000ff;

    auto first = listOf({{"chkoff", 0xff0000}, {"chkon", 0x00ff00}});
    subject.view->SetImageList(first);
    auto nodes = subject.tree().Nodes();
    nodes->Add(rt::Missing{}, rt::Missing{}, "A", "a", "chkoff");
    nodes->Add(rt::Missing{}, rt::Missing{}, "B", "b", "CHKON");
    nodes->Add(rt::Missing{}, rt::Missing{}, "C", "c", int32_t{2});
    nodes->Add(rt::Missing{}, rt::Missing{}, "D", "d", rt::Missing{});
    EXPECT_EQ(shown("A"), Red);
    EXPECT_EQ(shown("B"), Green);
    EXPECT_EQ(shown("C"), Green) << "a list position";
    EXPECT_EQ(shown("D"), 1u) << "no image";
    nodes->Item("A")->setImage("chkon");
    EXPECT_EQ(shown("A"), Green);

    auto second = listOf({{"chkon", 0x0000ff}});
    subject.view->SetImageList(second);
    EXPECT_EQ(shown("A"), Blue);
    EXPECT_EQ(shown("C"), 0u) << "the new list has no second picture";
    second->ListImages()->Add(rt::Missing{}, "extra", plain(0xff0000));
    EXPECT_EQ(shown("C"), Red) << "the list changed since";

    // Cleared and filled again, the nodes name other keys in another order.
    subject.view->SetImageList(first);
    EXPECT_EQ(shown("B"), Green);
    nodes->Clear();
    nodes->Add(rt::Missing{}, rt::Missing{}, "E", "e", "chkon");
    nodes->Add(rt::Missing{}, rt::Missing{}, "F", "f", "chkoff");
    EXPECT_EQ(shown("E"), Green);
    EXPECT_EQ(shown("F"), Red);
}

TEST_F(QtModelTreeViewTest, SelectingANodeMakesItCurrent) {
    add(rt::Missing{}, 0, "A");
    auto b = add(rt::Missing{}, 0, "B");
    b->setSelected(rt::True16);
    EXPECT_EQ(subject.widget()->currentIndex(), indexOf("B"));
    EXPECT_EQ(b->Selected(), rt::True16);
    b->setSelected(rt::False16);
    EXPECT_EQ(b->Selected(), rt::False16);
}

TEST_F(QtModelTreeViewTest, ClearResetsTheModel) {
    add(rt::Missing{}, 0, "S");
    add("S", tree::tvwChild, "A");
    QSignalSpy resets(model(), &QAbstractItemModel::modelReset);
    subject.tree().Nodes()->Clear();
    EXPECT_EQ(resets.count(), 1);
    EXPECT_EQ(model()->rowCount(), 0);
    add(rt::Missing{}, 0, "S");
    EXPECT_EQ(rowsUnder(QModelIndex()), std::vector<std::string>{"S"});
}

TEST(QtModelTreeViewHost, AHostsWidgetShowsTheNodesInPlaceOfItsModel) {
    QStandardItemModel hostModel;
    hostModel.appendRow(new QStandardItem(QStringLiteral("the host's")));
    QTreeView host;
    host.setModel(&hostModel);
    host.setEditTriggers(QAbstractItemView::NoEditTriggers);
    auto view = rt::make<qt_tree::QtModelTreeView>(&host);
    EXPECT_EQ(host.model(), view->model());
    EXPECT_EQ(view->LabelEdit(), 1) << "the host's widget allowed no editing";
    EXPECT_TRUE(host.uniformRowHeights());
    auto a = view->Nodes()->Add(rt::Missing{}, rt::Missing{}, "A", "a", rt::Missing{});
    EXPECT_EQ(host.model()->rowCount(), 1);

    // Given another model, the widget shows it; the nodes keep working.
    host.setModel(&hostModel);
    a->setExpanded(rt::True16);
    a->setSelected(rt::True16);
    EXPECT_EQ(a->Text(), "a");
    EXPECT_EQ(hostModel.rowCount(), 1);
}

TEST(QtModelTreeViewHost, AWidgetThatTheHostDeletesFailsEveryCallWith35605) {
    auto host = std::make_unique<QTreeView>();
    auto view = rt::make<qt_tree::QtModelTreeView>(host.get());
    auto nodes = view->Nodes();
    auto a = nodes->Add(rt::Missing{}, rt::Missing{}, "A", "a", rt::Missing{});
    nodes->Add("A", tree::tvwChild, "B", "b", rt::Missing{});  // owed when the widget goes
    host.reset();
    EXPECT_EQ(view->widget(), nullptr);
    EXPECT_EQ(view->model(), nullptr);
    EXPECT_EQ(errorNumberOf([&] { nodes->Count(); }), 35605);
    EXPECT_EQ(errorNumberOf([&] { nodes->Add(rt::Missing{}, rt::Missing{}, "C", "c", rt::Missing{}); }), 35605);
    EXPECT_EQ(errorNumberOf([&] { a->Key(); }), 35605);
    EXPECT_EQ(errorNumberOf([&] { view->HitTest(1, 1); }), 35605);
    EXPECT_FALSE(view->indexOf(a).isValid());
}

TEST(QtModelTreeViewHost, AModelThatTheHostDeletesFailsEveryCallWith35605) {
    QTreeView host;
    auto view = rt::make<qt_tree::QtModelTreeView>(&host);
    auto a = view->Nodes()->Add(rt::Missing{}, rt::Missing{}, "A", "a", rt::Missing{});
    view->Nodes()->Add("A", tree::tvwChild, "B", "b", rt::Missing{});
    delete view->model();
    EXPECT_EQ(errorNumberOf([&] { a->Key(); }), 35605);
    EXPECT_EQ(errorNumberOf([&] { view->Nodes()->Count(); }), 35605);
    EXPECT_EQ(host.model(), nullptr);
    QApplication::processEvents();  // nothing owed is told to a model that is gone
}

TEST(QtModelTreeViewHost, AWidgetOutlivesItsViewShowingItsNodes) {
    QTreeView host;
    host.resize(200, 200);
    host.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&host));
    RecordingListener listener;
    {
        auto view = rt::make<qt_tree::QtModelTreeView>(&host);
        view->Nodes()->Add(rt::Missing{}, rt::Missing{}, "A", "a", rt::Missing{});
        view->advise(&listener);
    }
    ASSERT_EQ(host.model()->rowCount(), 1);
    EXPECT_EQ(host.model()->index(0, 0).data().toString(), "a");
    QTest::mouseClick(host.viewport(), Qt::LeftButton, {}, host.visualRect(host.model()->index(0, 0)).center());
    EXPECT_TRUE(listener.events.empty());
}

}  // namespace
}  // namespace qt_tests
