#pragma once
// A style manager bound to a Qt tree view over a shown widget, with the
// sections of check boxes and option buttons that the keyboard and
// accessibility tests work on.

#include <QApplication>
#include <string>
#include <vector>

#include "adapters/qt/tests/tree_subjects.h"
#include "manager/hidden_form.h"
#include "manager/style_manager.h"
#include "outside/tree_text.h"
#include "testing/recording_handler.h"

namespace qt_tests {

class ManagedTreeTest : public testing_support::ChannelTest {
public:
    using Strings = std::vector<std::string>;
    struct Item {
        const char* key;
        int32_t style;
    };

    ManagedTreeTest() {
        Sarn10B::frmKwAmbrTvsA::drop();
        manager->setTreeViewObject(subject.view);
    }
    ~ManagedTreeTest() override {
        manager->setTreeViewObject(nullptr);
        Sarn10B::frmKwAmbrTvsA::drop();
    }

    void addSection(const std::string& key, const std::vector<Item>& items) {
        manager->AddNode({.sKey = key, .sText = "Section " + key, .enumTVSNodeStyle = Sarn10B::TVSNodeStyle_Default,
                          .bExpanded = rt::True16});
        for (const auto& item : items)
            manager->AddNode({.sRelative = key, .sRelationship = tree::tvwChild, .sKey = item.key,
                              .sText = std::string("Item ") + item.key, .enumTVSNodeStyle = item.style});
    }
    // Fonts: three check boxes; alignment: three option buttons and a node
    // that shows a check box's picture without being one.
    void addFontsAndAlignment() {
        using namespace Sarn10B;
        addSection("S1", {{"CBbold", TVSNodeStyle_CheckBoxoff},
                          {"CBitalic", TVSNodeStyle_CheckBoxOn},
                          {"CBunder", TVSNodeStyle_CheckBoxoff}});
        addSection("S2", {{"OBleft", TVSNodeStyle_OptionButtonOn},
                          {"OBcenter", TVSNodeStyle_OptionButtonOff},
                          {"OBright", TVSNodeStyle_OptionButtonOff},
                          {"PLAIN", TVSNodeStyle_CheckBoxOn}});
        handler.clear();
    }

    rt::Ref<tree::TreeNode> node(const std::string& key) { return subject.tree().Nodes()->Item(rt::Variant(key)); }
    Strings imagesUnder(const std::string& section) {
        Strings out;
        for (auto item = node(section)->Child(); item; item = item->Next()) out.push_back(tree::imageText(item->Image()));
        return out;
    }
    QTreeWidget* widget() { return subject.widget(); }
    void makeCurrent(const std::string& key) {
        widget()->setFocus();
        widget()->setCurrentItem(subject.item(key));
    }

    QtSubject subject;
    rt::Ref<Sarn10B::clsKwAmbrTvsA> manager = rt::make<Sarn10B::clsKwAmbrTvsA>();
};

}  // namespace qt_tests
