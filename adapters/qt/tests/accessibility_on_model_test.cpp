// The accessible description on a plain QTreeView over a model of the
// host's own: rows are found by model index alone, whatever the model. The
// model here keeps each row's key and image key in roles of its own, and
// its click does to the image keys what the style manager does.
#include <QAccessible>
#include <QApplication>
#include <QScrollBar>
#include <QStandardItemModel>
#include <QTest>
#include <QTreeView>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "adapters/qt/qt_accessibility.h"
#include "adapters/qt/tests/heard_events.h"

namespace qt_tests {
namespace {

using Strings = std::vector<std::string>;
using qt_tree::ItemState;

constexpr int KeyRole = Qt::UserRole + 1;
constexpr int ImageRole = Qt::UserRole + 2;

class AccessibleModelTest : public testing::Test {
public:
    AccessibleModelTest() {
        addSection("Fonts", {{"Bold", "CBbold", "chkoff"}, {"Italic", "CBitalic", "chkon"}});
        addSection("Alignment",
                   {{"Left", "OBleft", "opton"}, {"Right", "OBright", "optoff"}, {"Picture", "PLAIN", "chkon"}});
        view.setUniformRowHeights(true);  // as a host that has many rows would
        view.setModel(&model);
        view.setHeaderHidden(true);
        view.expandAll();
        view.resize(240, 60);  // not all rows fit
        view.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&view));
        // The model tells of new image keys as the tree view does.
        QObject::connect(&model, &QAbstractItemModel::dataChanged,
                         [this](const QModelIndex& first, const QModelIndex& last, const QList<int>& roles) {
                             if (!accessible || (!roles.isEmpty() && !roles.contains(ImageRole))) return;
                             for (int row = first.row(); row <= last.row(); ++row)
                                 accessible->imageChanged(first.sibling(row, 0));
                         });
    }

    struct Row {
        const char* text;
        const char* key;
        const char* image;
    };
    QStandardItem* addSection(const char* text, const std::vector<Row>& rows) {
        auto* section = new QStandardItem(text);
        for (const Row& row : rows) {
            auto* item = new QStandardItem(row.text);
            item->setData(QString(row.key), KeyRole);
            item->setData(QString(row.image), ImageRole);
            section->appendRow(item);
        }
        model.appendRow(section);
        return section;
    }

    static ItemState describe(const QModelIndex& index) {
        const QVariant key = index.data(KeyRole);
        if (!key.isValid()) return {};
        return qt_tree::itemStateOf(key.toString().toStdString(),
                                    rt::Variant(index.data(ImageRole).toString().toStdString()));
    }
    // A check box turns over; an option button goes on, and the other
    // option buttons beside it off.
    void click(const QModelIndex& index) {
        const QString key = index.data(KeyRole).toString();
        clicked.push_back(key.toStdString());
        if (key.startsWith("CB")) {
            setImage(index, index.data(ImageRole) == "chkon" ? "chkoff" : "chkon");
        } else if (key.startsWith("OB")) {
            for (int row = 0; row < model.rowCount(index.parent()); ++row) {
                const QModelIndex sibling = index.sibling(row, 0);
                if (sibling.data(KeyRole).toString().startsWith("OB"))
                    setImage(sibling, sibling == index ? "opton" : "optoff");
            }
        }
    }
    void setImage(const QModelIndex& index, const char* image) { model.setData(index, QString(image), ImageRole); }

    QModelIndex find(const QString& text) {
        const QModelIndexList found = model.match(model.index(0, 0), Qt::DisplayRole, text, 1,
                                                  Qt::MatchExactly | Qt::MatchRecursive);
        EXPECT_EQ(found.size(), 1) << text.toStdString();
        return found.value(0);
    }

    QAccessibleInterface* tree() { return QAccessible::queryAccessibleInterface(&view); }
    // Every row as it is said (the header is hidden, so it is no child);
    // each child knows its own place.
    Strings rows() {
        QAccessibleInterface* t = tree();
        Strings out;
        for (int i = 0; i < t->childCount(); ++i) {
            QAccessibleInterface* child = t->child(i);
            EXPECT_EQ(t->indexOfChild(child), i) << said(child);
            out.push_back(said(child));
        }
        EXPECT_TRUE(isNoRow(t, t->child(t->childCount()))) << "past the last row";
        EXPECT_EQ(t->child(t->childCount() + model.columnCount()), nullptr) << "past the last row";
        return out;
    }
    QAccessibleInterface* cellOf(const QString& text) {
        QAccessibleInterface* t = tree();
        for (int i = 0; i < t->childCount(); ++i)
            if (t->child(i)->text(QAccessible::Name) == text) return t->child(i);
        ADD_FAILURE() << text.toStdString() << " has no row";
        return nullptr;
    }
    void act(const QString& text, const QString& action) {
        QAccessibleInterface* cell = cellOf(text);
        ASSERT_NE(cell, nullptr);
        QAccessibleActionInterface* actions = cell->actionInterface();
        ASSERT_NE(actions, nullptr);
        ASSERT_TRUE(actions->actionNames().contains(action)) << text.toStdString();
        actions->doAction(action);
    }

    QStandardItemModel model;
    QTreeView view;
    Strings clicked;
    std::unique_ptr<qt_tree::AccessibleItems> accessible = std::make_unique<qt_tree::AccessibleItems>(
        &view, &AccessibleModelTest::describe, [this](const QModelIndex& index) { click(index); });
};

const Strings allRows = {"Fonts: tree item",  "Bold: check box, not checked", "Italic: check box, checked",
                         "Alignment: tree item", "Left: radio button, checked", "Right: radio button, not checked",
                         "Picture: tree item"};

TEST_F(AccessibleModelTest, EachRowSaysWhatItsImageKeySaysAndChangesAreToldOnce) {
    rows();  // assistive technology has seen every row
    Strings heard;
    HeardEvents events([&](QAccessibleEvent* event) {
        if (event->type() == QAccessible::StateChanged) heard.push_back(saidChange(event));
    });
    struct Step {
        const char* name;
        std::function<void(AccessibleModelTest&)> run;
        Strings heard;
        Strings rows;
    };
    const Step steps[] = {
        {"as built", [](AccessibleModelTest&) {}, {}, allRows},
        {"Bold checked through assistive technology",
         [](AccessibleModelTest& t) { t.act("Bold", QAccessibleActionInterface::toggleAction()); },
         {"Bold: check box, checked (checked changed)"},
         {"Fonts: tree item", "Bold: check box, checked", "Italic: check box, checked", "Alignment: tree item",
          "Left: radio button, checked", "Right: radio button, not checked", "Picture: tree item"}},
        {"Right checked: Left goes off",
         [](AccessibleModelTest& t) { t.act("Right", QAccessibleActionInterface::toggleAction()); },
         {"Left: radio button, not checked (checked changed)", "Right: radio button, checked (checked changed)"},
         {"Fonts: tree item", "Bold: check box, checked", "Italic: check box, checked", "Alignment: tree item",
          "Left: radio button, not checked", "Right: radio button, checked", "Picture: tree item"}},
        {"Bold off, on and off again is told once; Italic off and on again not at all",
         [](AccessibleModelTest& t) {
             for (const char* image : {"chkoff", "chkon", "chkoff"}) t.setImage(t.find("Bold"), image);
             for (const char* image : {"chkoff", "chkon"}) t.setImage(t.find("Italic"), image);
         },
         {"Bold: check box, not checked (checked changed)"},
         {"Fonts: tree item", "Bold: check box, not checked", "Italic: check box, checked", "Alignment: tree item",
          "Left: radio button, not checked", "Right: radio button, checked", "Picture: tree item"}},
        {"Italic given an option button's picture, and the picture a check box's key",
         [](AccessibleModelTest& t) {
             t.setImage(t.find("Italic"), "opton");
             t.model.setData(t.find("Picture"), QString("CBpicture"), KeyRole);
             t.setImage(t.find("Picture"), "chkoff");
         },
         {"Italic: tree item (checked changed) (checkable changed)",
          "Picture: check box, not checked (checkable changed)"},
         {"Fonts: tree item", "Bold: check box, not checked", "Italic: tree item", "Alignment: tree item",
          "Left: radio button, not checked", "Right: radio button, checked", "Picture: check box, not checked"}},
        {"scrolled to the end, Bold out of view is still told and said",
         [](AccessibleModelTest& t) {
             t.view.scrollToBottom();
             ASSERT_GT(t.view.verticalScrollBar()->value(), 0) << "the rows scrolled";
             t.act("Bold", QAccessibleActionInterface::toggleAction());
         },
         {"Bold: check box, checked (checked changed)"},
         {"Fonts: tree item", "Bold: check box, checked", "Italic: tree item", "Alignment: tree item",
          "Left: radio button, not checked", "Right: radio button, checked", "Picture: check box, not checked"}},
        {"Fonts closed: its rows are gone, a change in it waits until they show again",
         [](AccessibleModelTest& t) {
             t.view.collapse(t.find("Fonts"));
             t.setImage(t.find("Bold"), "chkoff");
         },
         {"Fonts: tree item (closed)"},
         {"Fonts: tree item", "Alignment: tree item", "Left: radio button, not checked",
          "Right: radio button, checked", "Picture: check box, not checked"}},
        {"Fonts open again: Bold tells what changed meanwhile",
         [](AccessibleModelTest& t) { t.view.expand(t.find("Fonts")); },
         {"Fonts: tree item (opened)", "Bold: check box, not checked (checked changed)"},
         {"Fonts: tree item", "Bold: check box, not checked", "Italic: tree item", "Alignment: tree item",
          "Left: radio button, not checked", "Right: radio button, checked", "Picture: check box, not checked"}},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.name);
        heard.clear();
        step.run(*this);
        EXPECT_EQ(heard, Strings{}) << "not before the event loop runs";
        QApplication::processEvents();
        EXPECT_EQ(heard, step.heard);
        EXPECT_EQ(rows(), step.rows);
    }
    EXPECT_EQ(clicked, (Strings{"CBbold", "OBright", "CBbold"}));
}

TEST_F(AccessibleModelTest, RowsOutOfViewOrInAClosedParentAreInvisible) {
    const QModelIndex fonts = find("Fonts");
    QAccessibleInterface* bold = cellOf("Bold");
    ASSERT_NE(bold, nullptr);
    EXPECT_FALSE(bold->state().invisible);
    EXPECT_TRUE(cellOf("Fonts")->state().expandable && cellOf("Fonts")->state().expanded);
    EXPECT_FALSE(bold->state().expandable);

    view.scrollToBottom();
    EXPECT_TRUE(bold->state().invisible) << "scrolled out of view";
    EXPECT_EQ(tree()->indexOfChild(bold), 1) << "yet it keeps its place";
    EXPECT_EQ(tree()->child(1), bold);

    view.scrollToTop();
    view.collapse(fonts);
    EXPECT_TRUE(bold->state().invisible) << "in a closed section";
    EXPECT_TRUE(bold->isValid());
    EXPECT_EQ(tree()->indexOfChild(bold), -1) << "a row that does not show has no place";
    EXPECT_FALSE(cellOf("Fonts")->state().expanded);
    EXPECT_TRUE(cellOf("Fonts")->state().collapsed);
    EXPECT_EQ(said(tree()->child(1)), "Alignment: tree item");
}

TEST_F(AccessibleModelTest, HiddenRowsAndRowsOutsideTheRootHaveNoPlace) {
    view.setRowHidden(0, find("Fonts"), true);
    EXPECT_EQ(rows(), (Strings{"Fonts: tree item", "Italic: check box, checked", "Alignment: tree item",
                               "Left: radio button, checked", "Right: radio button, not checked",
                               "Picture: tree item"}));
    QAccessibleInterface* italic = cellOf("Italic");
    view.setRootIndex(find("Alignment"));
    EXPECT_EQ(rows(), (Strings{"Left: radio button, checked", "Right: radio button, not checked",
                               "Picture: tree item"}));
    EXPECT_EQ(tree()->indexOfChild(italic), -1);
    EXPECT_TRUE(italic->state().invisible);
}

// A cell stays the same row's while the model inserts and removes rows
// around it; a removed row's cell is deleted at once (nothing can ask it
// about a row that is gone), and a new row in its place gets a cell of its
// own.
TEST_F(AccessibleModelTest, CellsFollowTheirRowsThroughChangesOfTheModel) {
    rows();
    QAccessibleInterface* italic = cellOf("Italic");
    QAccessibleInterface* bold = cellOf("Bold");
    const QAccessible::Id boldId = QAccessible::uniqueId(bold);
    Strings heard;
    HeardEvents events([&](QAccessibleEvent* event) {
        if (event->type() == QAccessible::StateChanged) heard.push_back(saidChange(event));
    });

    setImage(find("Bold"), "chkon");
    QApplication::processEvents();
    ASSERT_EQ(heard, Strings{"Bold: check box, checked (checked changed)"});
    heard.clear();

    auto* first = new QStandardItem("Strike");
    first->setData(QString("CBstrike"), KeyRole);
    first->setData(QString("chkon"), ImageRole);
    model.itemFromIndex(find("Fonts"))->insertRow(0, first);
    EXPECT_EQ(said(italic), "Italic: check box, checked");
    EXPECT_EQ(tree()->indexOfChild(italic), 3);
    EXPECT_EQ(tree()->child(3), italic) << "one cell for one row";
    setImage(find("Italic"), "chkoff");
    QApplication::processEvents();
    EXPECT_EQ(heard, Strings{"Italic: check box, not checked (checked changed)"});

    model.itemFromIndex(find("Fonts"))->removeRow(1);  // Bold
    EXPECT_EQ(QAccessible::accessibleInterface(boldId), nullptr);
    auto* again = new QStandardItem("Bold");
    again->setData(QString("CBbold"), KeyRole);
    again->setData(QString("chkon"), ImageRole);
    model.itemFromIndex(find("Fonts"))->insertRow(1, again);
    EXPECT_EQ(said(cellOf("Bold")), "Bold: check box, checked");
    EXPECT_NE(QAccessible::uniqueId(cellOf("Bold")), boldId);

    heard.clear();
    model.clear();
    addSection("Fonts", {{"Bold", "CBbold", "chkoff"}});
    view.expandAll();
    setImage(find("Bold"), "chkon");
    QApplication::processEvents();
    EXPECT_EQ(heard, Strings{}) << "the new Bold was never asked for";
    EXPECT_EQ(rows(), (Strings{"Fonts: tree item", "Bold: check box, checked"}));
    for (int round = 0; round < 50; ++round) {  // enough cells to drop the gone ones
        model.clear();
        addSection("Fonts", {{"Bold", "CBbold", "chkoff"}});
        view.expandAll();
        rows();
    }
    EXPECT_EQ(rows(), (Strings{"Fonts: tree item", "Bold: check box, not checked"}));
}

TEST_F(AccessibleModelTest, AViewGivenAnotherModelForgetsTheCellsOfTheFirst) {
    QAccessibleInterface* bold = cellOf("Bold");
    QStandardItemModel other;
    auto* only = new QStandardItem("Only");
    only->setData(QString("OBonly"), KeyRole);
    only->setData(QString("opton"), ImageRole);
    other.appendRow(only);
    const QAccessible::Id boldId = QAccessible::uniqueId(bold);
    view.setModel(&other);
    // Until the tree notices, Bold answers as a row that is gone.
    EXPECT_TRUE(bold->isValid()) << "asked, it warns no one";
    EXPECT_TRUE(bold->state().invisible);
    EXPECT_EQ(tree()->indexOfChild(bold), -1) << "Bold is no row of the view";
    EXPECT_EQ(rows(), Strings{"Only: radio button, checked"});
    EXPECT_EQ(QAccessible::accessibleInterface(boldId), nullptr) << "the tree has let it go";
    Strings heard;
    HeardEvents events([&](QAccessibleEvent* event) { heard.push_back(saidChange(event)); });
    setImage(find("Bold"), "chkon");  // in the first model
    QApplication::processEvents();
    EXPECT_EQ(heard, Strings{});
}

TEST_F(AccessibleModelTest, TheFocusAndTheRowAtAPointAreCells) {
    act("Left", QAccessibleActionInterface::setFocusAction());
    EXPECT_EQ(view.currentIndex(), find("Left"));
    EXPECT_EQ(tree()->focusChild(), cellOf("Left"));
    EXPECT_TRUE(cellOf("Left")->state().focused);
    const QRect right = cellOf("Right")->rect();
    EXPECT_EQ(tree()->childAt(right.center().x(), right.center().y()), cellOf("Right"));
    EXPECT_EQ(tree()->childAt(-1000, -1000), nullptr);
    EXPECT_EQ(clicked, Strings{}) << "focus is no click";
}

// The tree's children: while the header shows, a row of headers, then the
// rows in the order in which the view shows them (one after the other with
// indexBelow), a cell for each column, however the view scrolls and whatever
// height its rows have.
TEST_F(AccessibleModelTest, RowsAreNumberedAsQtNumbersThem) {
    model.clear();
    model.setColumnCount(2);
    model.setHorizontalHeaderLabels({"Name", "Note"});
    view.setHeaderHidden(false);
    std::vector<Row> many;
    std::vector<std::string> texts;
    for (int i = 0; i < 300; ++i) texts.push_back("CB" + std::to_string(1000 + i));
    for (const auto& text : texts) many.push_back({text.c_str(), text.c_str(), "chkoff"});
    addSection("S1", many);
    addSection("S2", {{"hidden", "OBhidden", "opton"}});
    addSection("S3", {{"OBa", "OBa", "opton"}, {"OBb", "OBb", "optoff"}});
    for (int section = 0; section < model.rowCount(); ++section) model.item(section)->setColumnCount(2);
    view.expandAll();
    view.collapse(find("S2"));
    view.setRowHidden(7, find("S1"), true);

    Strings shown;
    for (QModelIndex row = model.index(0, 0); row.isValid(); row = view.indexBelow(row))
        shown.push_back(row.data().toString().toStdString());
    ASSERT_EQ(shown.size(), 1u + 299 + 1 + 1 + 2);
    EXPECT_EQ(shown[8], texts[8]) << "the hidden row is left out";
    EXPECT_EQ(said(tree()->child(0)), "Name: header");
    EXPECT_EQ(said(tree()->child(1)), "Note: header");

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
        view.setVerticalScrollMode(layout.mode);
        view.setUniformRowHeights(layout.uniform);
        view.doItemsLayout();
        for (const std::string& text : {texts[0], texts[6], texts[8], texts[150], texts[299], std::string("OBb")}) {
            SCOPED_TRACE(text);
            const QModelIndex row = find(QString::fromStdString(text));
            view.setCurrentIndex(row.sibling(row.row(), 1));
            view.scrollTo(row);
            QAccessibleInterface* focus = tree()->focusChild();
            ASSERT_NE(focus, nullptr);
            EXPECT_EQ(said(focus), ": tree item") << "the second column is a plain cell";
            const auto at = std::find(shown.begin(), shown.end(), text) - shown.begin();
            EXPECT_EQ(tree()->indexOfChild(focus), (at + 1) * 2 + 1) << "after the row of headers";
            EXPECT_EQ(tree()->child((at + 1) * 2)->text(QAccessible::Name).toStdString(), text);
        }
        EXPECT_GT(view.verticalScrollBar()->value(), 0) << "the rows scrolled";
        EXPECT_EQ(tree()->childCount(), static_cast<int>(shown.size() + 1) * 2);
        EXPECT_EQ(tree()->child(static_cast<int>(shown.size() + 1) * 2), nullptr) << "past the last row";
        EXPECT_EQ(tree()->tableInterface()->rowCount(), static_cast<int>(shown.size()));
    }
}

}  // namespace
}  // namespace qt_tests
