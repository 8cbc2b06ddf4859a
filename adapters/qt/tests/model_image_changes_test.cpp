// The manager's walks on the model view: other views of the model, a proxy
// among them, hear of every row whose image changed; and a walk that meets
// an image the list lacks stops and reports as on the in-memory view.
#include <QApplication>
#include <QSortFilterProxyModel>
#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "adapters/qt/tests/tree_subjects.h"
#include "manager/hidden_form.h"
#include "manager/style_manager.h"
#include "outside/tree_text.h"
#include "testing/recording_handler.h"

namespace qt_tests {
namespace {

using namespace Sarn10B;
using Strings = std::vector<std::string>;

void settle() {
    for (int round = 0; round < 3; ++round) QApplication::processEvents();
}

struct Item {
    std::string key;
    int32_t style;
};

// Check boxes, some on, with items of other kinds between them; then a
// section of option buttons.
template <class Subject>
struct MixedTree {
    Subject subject;
    rt::Ref<clsKwAmbrTvsA> manager = rt::make<clsKwAmbrTvsA>();

    MixedTree() {
        manager->setTreeViewObject(subject.view);
        std::vector<Item> boxes, options;
        for (int i = 0; i < 40; ++i) {
            const std::string n = std::to_string(100 + i);
            if (i % 7 == 3)
                boxes.push_back({"PL" + n, TVSNodeStyle_OptionButtonOff});
            else
                boxes.push_back({"CB" + n, i % 5 == 0 ? TVSNodeStyle_CheckBoxOn : TVSNodeStyle_CheckBoxoff});
            options.push_back({"OB" + n, i == 0 ? TVSNodeStyle_OptionButtonOn : TVSNodeStyle_OptionButtonOff});
        }
        addSection("S1", boxes);
        addSection("S2", options);
    }
    ~MixedTree() { manager->setTreeViewObject(nullptr); }

    void addSection(const std::string& key, const std::vector<Item>& items) {
        manager->AddNode({.sKey = key, .sText = "Section " + key, .enumTVSNodeStyle = TVSNodeStyle_Default,
                          .bExpanded = rt::True16});
        for (const auto& item : items)
            manager->AddNode({.sRelative = key, .sRelationship = tree::tvwChild, .sKey = item.key,
                              .sText = "Item " + item.key, .enumTVSNodeStyle = item.style});
    }
    // Every node's key and image, in tree order.
    Strings images() {
        Strings out;
        for (auto section = subject.tree().Nodes()->Item(rt::Variant(1)); section; section = section->Next())
            for (auto item = section->Child(); item; item = item->Next())
                out.push_back(item->Key() + " " + tree::imageText(item->Image()));
        return out;
    }
};

struct Job {
    const char* name;
    std::function<void(clsKwAmbrTvsA&)> run;
};
const Job Jobs[] = {
    {"select all", [](clsKwAmbrTvsA& m) { m.CBSelectAll("S1", rt::True16); }},
    {"select none", [](clsKwAmbrTvsA& m) { m.CBSelectAll("S1", rt::False16); }},
    {"select none again", [](clsKwAmbrTvsA& m) { m.CBSelectAll("S1", rt::False16); }},
    {"invert", [](clsKwAmbrTvsA& m) { m.CBSelectAll("S1", rt::False16, rt::True16); }},
    {"one option on", [](clsKwAmbrTvsA& m) { m.OBSetStyle("S2", "OB120", TVSNodeStyle_OptionButtonOn); }},
    {"the last option on", [](clsKwAmbrTvsA& m) { m.OBSetStyle("S2", "OB139", TVSNodeStyle_OptionButtonOn); }},
    {"close all", [](clsKwAmbrTvsA& m) { m.ExpandAll(rt::False16); }},
    {"open all", [](clsKwAmbrTvsA& m) { m.ExpandAll(rt::True16); }},
};

class ModelImageChanges : public testing_support::ChannelTest {
protected:
    ModelImageChanges() { frmKwAmbrTvsA::drop(); }
    ~ModelImageChanges() override { frmKwAmbrTvsA::drop(); }

    struct Outcome {
        Strings images;
        std::vector<testing_support::Report> reports;
    };
    // The jobs in turn on the in-memory view, each after prepare.
    std::vector<Outcome> onMemory(const std::function<void(MemorySubject&)>& prepare = nullptr) {
        std::vector<Outcome> out;
        {
            MixedTree<MemorySubject> memory;
            for (const Job& job : Jobs) {
                if (prepare) prepare(memory.subject);
                handler.clear();
                job.run(*memory.manager);
                out.push_back({memory.images(), reports()});
            }
        }
        frmKwAmbrTvsA::drop();
        handler.clear();
        return out;
    }
};

// Rows as "section row", from a model's change of data over first..last.
void noteRows(std::set<std::string>& rows, const QModelIndex& first, const QModelIndex& last) {
    for (int row = first.row(); row <= last.row(); ++row) {
        const QModelIndex index = first.sibling(row, 0);
        rows.insert(index.parent().data().toString().toStdString() + " " + std::to_string(row));
    }
}

TEST_F(ModelImageChanges, OtherViewsOfTheModelHearOfEveryChangedRow) {
    const std::vector<Outcome> expected = onMemory();
    MixedTree<QtModelSubject> t;
    settle();
    QAbstractItemModel* model = t.subject.widget()->model();
    QSortFilterProxyModel proxy;
    proxy.setSourceModel(model);
    std::set<std::string> heard, heardByProxy;
    QObject::connect(model, &QAbstractItemModel::dataChanged,
                     [&](const QModelIndex& first, const QModelIndex& last) { noteRows(heard, first, last); });
    QObject::connect(&proxy, &QAbstractItemModel::dataChanged, [&](const QModelIndex& first, const QModelIndex& last) {
        for (int row = first.row(); row <= last.row(); ++row) {
            const QModelIndex source = proxy.mapToSource(first.sibling(row, 0));
            noteRows(heardByProxy, source, source);
        }
    });
    // The proxy maps the rows it was asked about.
    for (int s = 0; s < proxy.rowCount(); ++s) (void)proxy.rowCount(proxy.index(s, 0));

    for (size_t j = 0; j < std::size(Jobs); ++j) {
        SCOPED_TRACE(Jobs[j].name);
        const Strings before = t.images();
        heard.clear();
        heardByProxy.clear();
        handler.clear();
        Jobs[j].run(*t.manager);
        const Strings after = t.images();
        EXPECT_EQ(after, expected[j].images) << "as on the in-memory view";
        EXPECT_EQ(reports(), expected[j].reports);
        settle();
        ASSERT_EQ(before.size(), after.size());
        // Rows counted under each section, as the model numbers them.
        size_t n = 0;
        for (const char* section : {"Section S1", "Section S2"}) {
            for (int row = 0; row < 40; ++row, ++n) {
                if (before[n] == after[n]) continue;
                const std::string place = std::string(section) + " " + std::to_string(row);
                EXPECT_TRUE(heard.count(place)) << after[n] << " changed unheard";
                EXPECT_TRUE(heardByProxy.count(place)) << after[n] << " changed unheard by the proxy";
            }
        }
        t.subject.checkInvariants();
    }
}

TEST_F(ModelImageChanges, AWalkThatMeetsAnImageTheListLacksStopsAndReportsAsOnTheInMemoryView) {
    // The manager's pictures, without the one for a check box on.
    const auto lacking = [](auto& subject) {
        auto list = rt::make<tree::ImageList>();
        for (const char* key : {"chkoff", "optoff", "opton"})
            list->ListImages()->Add(rt::Missing{}, key, rt::make<rt::Picture>(rt::PictureType::Bitmap, 16, 16));
        subject.view->SetImageList(list);
    };
    const std::vector<Outcome> expected = onMemory(lacking);
    MixedTree<QtModelSubject> t;
    settle();
    for (size_t j = 0; j < std::size(Jobs); ++j) {
        SCOPED_TRACE(Jobs[j].name);
        lacking(t.subject);
        handler.clear();
        Jobs[j].run(*t.manager);
        EXPECT_EQ(reports(), expected[j].reports);
        EXPECT_EQ(t.images(), expected[j].images);
        settle();
        t.subject.checkInvariants();
    }
    EXPECT_FALSE(expected[0].reports.empty()) << "select all meets the missing picture";
}

}  // namespace
}  // namespace qt_tests
