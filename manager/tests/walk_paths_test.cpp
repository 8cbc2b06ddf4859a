// The in-memory tree view walks runs of siblings in place; a tree view that
// only hands out nodes walks them node by node. Every walk of the manager
// must read, write and report alike on both, also when the host's error
// handler changes the tree or its image list in the middle of a walk.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "manager/hidden_form.h"
#include "manager/style_manager.h"
#include "outside/memory_tree.h"
#include "outside/tree_text.h"
#include "runtime/classes.h"
#include "runtime/dispatch.h"
#include "testing/recording_handler.h"

namespace Sarn10B::test {
namespace {

// Forwards every call to a node of the real tree, but walks through none of
// its shortcuts: what the tree model does by default.
class PlainNode : public tree::TreeNode {
public:
    explicit PlainNode(rt::Ref<tree::TreeNode> inner) : inner_(std::move(inner)) {}
    static rt::Ref<tree::TreeNode> wrap(rt::Ref<tree::TreeNode> node) {
        return node ? rt::Ref<tree::TreeNode>(rt::make<PlainNode>(std::move(node))) : nullptr;
    }

    std::string Key() override { return inner_->Key(); }
    bool keyIs(std::string_view key) override { return inner_->keyIs(key); }
    std::string Text() override { return inner_->Text(); }
    void setText(const std::string& text) override { inner_->setText(text); }
    rt::Variant Tag() override { return inner_->Tag(); }
    void setTag(const rt::Variant& tag) override { inner_->setTag(tag); }
    rt::Variant Image() override { return inner_->Image(); }
    bool imageKeyIs(std::string_view key) override { return inner_->imageKeyIs(key); }
    void setImage(const rt::Variant& image) override { inner_->setImage(image); }
    rt::Ref<tree::TreeNode> Child() override { return wrap(inner_->Child()); }
    rt::Ref<tree::TreeNode> Next() override { return wrap(inner_->Next()); }
    rt::Ref<tree::TreeNode> Parent() override { return wrap(inner_->Parent()); }
    int32_t Children() override { return inner_->Children(); }
    int16_t Expanded() override { return inner_->Expanded(); }
    void setExpanded(int16_t expanded) override { inner_->setExpanded(expanded); }
    int16_t Selected() override { return inner_->Selected(); }
    void setSelected(int16_t selected) override { inner_->setSelected(selected); }

private:
    rt::Ref<tree::TreeNode> inner_;
};

class PlainNodes : public tree::TreeNodes {
public:
    explicit PlainNodes(rt::Ref<tree::TreeNodes> inner) : inner_(std::move(inner)) {}
    rt::Ref<tree::TreeNode> Item(const rt::Variant& indexOrKey) override {
        return PlainNode::wrap(inner_->Item(indexOrKey));
    }
    int32_t Count() override { return inner_->Count(); }
    rt::Ref<tree::TreeNode> Add(const rt::Variant& relative, const rt::Variant& relationship, const rt::Variant& key,
                                const rt::Variant& text, const rt::Variant& image) override {
        return PlainNode::wrap(inner_->Add(relative, relationship, key, text, image));
    }
    void Clear() override { inner_->Clear(); }

private:
    rt::Ref<tree::TreeNodes> inner_;
};

// Hands the clicked node on wrapped, so that a click walks node by node too.
class PlainEvents : public tree::TreeViewEvents {
public:
    explicit PlainEvents(tree::TreeViewEvents* target) : target_(target) {}
    virtual ~PlainEvents() = default;
    void NodeClick(const rt::Ref<tree::TreeNode>& node) override { target_->NodeClick(PlainNode::wrap(node)); }
    void KeyDown(int16_t& keyCode, int16_t& shift) override { target_->KeyDown(keyCode, shift); }
    void KeyUp(int16_t& keyCode, int16_t& shift) override { target_->KeyUp(keyCode, shift); }
    void MouseMove(int16_t& button, int16_t& shift, float& x, float& y) override {
        target_->MouseMove(button, shift, x, y);
    }

private:
    tree::TreeViewEvents* target_;
};

class PlainView : public tree::TreeView {
public:
    explicit PlainView(rt::Ref<tree::TreeView> inner) : inner_(std::move(inner)) {}
    rt::Ref<tree::TreeNodes> Nodes() override { return rt::make<PlainNodes>(inner_->Nodes()); }
    rt::Ref<tree::ImageList> GetImageList() override { return inner_->GetImageList(); }
    void SetImageList(const rt::Ref<tree::ImageList>& list) override { inner_->SetImageList(list); }
    int32_t LabelEdit() override { return inner_->LabelEdit(); }
    void setLabelEdit(int32_t mode) override { inner_->setLabelEdit(mode); }
    rt::Ref<tree::TreeNode> HitTest(float x, float y) override { return PlainNode::wrap(inner_->HitTest(x, y)); }
    std::string ToolTipText() override { return inner_->ToolTipText(); }
    void setToolTipText(const std::string& text) override { inner_->setToolTipText(text); }
    int32_t advise(tree::TreeViewEvents* listener) override {
        auto relay = std::make_unique<PlainEvents>(listener);
        const int32_t cookie = inner_->advise(relay.get());
        relays_[cookie] = std::move(relay);
        return cookie;
    }
    void unadvise(int32_t cookie) override {
        inner_->unadvise(cookie);
        relays_.erase(cookie);
    }

private:
    rt::Ref<tree::TreeView> inner_;
    std::map<int32_t, std::unique_ptr<PlainEvents>> relays_;
};

rt::Ref<tree::ImageList> listWith(const std::vector<std::string>& keys) {
    auto list = rt::make<tree::ImageList>("some");
    for (const auto& key : keys)
        list->ListImages()->Add(rt::Missing{}, key, rt::make<rt::Picture>(rt::PictureType::Bitmap, 16, 16));
    return list;
}

// One tree view as a walk leaves it, and what the walk gave and reported.
struct Outcome {
    std::vector<std::string> nodes;  // key, image and open state of each node
    std::string result;
    std::vector<testing_support::Report> reports;
    bool operator==(const Outcome&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Outcome& o) {
    os << "result " << o.result << "; nodes";
    for (const auto& n : o.nodes) os << " [" << n << "]";
    os << "; reports";
    for (const auto& r : o.reports) os << " " << r;
    return os;
}

std::string textsOf(const rt::Ref<rt::Collection>& c) {
    std::string out;
    for (const auto& v : *c) out += rt::toText(v) + ",";
    return out;
}

// What a case starts from, and what the handler does at the first report.
struct World {
    rt::Ref<tree::MemoryTreeView> tv;
    rt::Ref<clsKwAmbrTvsA> manager;
};

using Walk = std::function<std::string(World&)>;
using Hook = std::function<void(World&)>;

const std::vector<std::string> AllKeys = {"chkoff", "chkon", "optoff", "opton"};

class WalkPathsTest : public ::testing::Test {
protected:
    ~WalkPathsTest() override { frmKwAmbrTvsA::drop(); }

    // Builds the same tree, binds the manager to the tree view itself or to a
    // plain view of it, gives the tree the list, walks, and reads the tree.
    Outcome run(bool plain, const std::vector<std::string>& list, const Walk& walk, const Hook& hook) {
        frmKwAmbrTvsA::drop();
        World w{rt::make<tree::MemoryTreeView>(), rt::make<clsKwAmbrTvsA>()};
        rt::ObjectRef bound = plain ? rt::ObjectRef(rt::make<PlainView>(w.tv)) : rt::ObjectRef(w.tv);
        w.manager->setTreeViewObject(bound);
        auto add = [&](const std::string& relative, const std::string& key, int32_t style, const std::string& text) {
            w.manager->AddNode({.sRelative = relative, .sRelationship = relative.empty() ? 0 : tree::tvwChild,
                                .sKey = key, .sText = text, .enumTVSNodeStyle = style});
        };
        add("", "S", TVSNodeStyle_Default, "Section");
        const std::vector<std::pair<std::string, int32_t>> items = {
            {"CB1", TVSNodeStyle_CheckBoxOn},       {"OB1", TVSNodeStyle_OptionButtonOff},
            {"CB2", TVSNodeStyle_CheckBoxoff},      {"ob2", TVSNodeStyle_OptionButtonOn},
            {"plain", TVSNodeStyle_Default},        {"OB3", TVSNodeStyle_OptionButtonOff},
            {"CB3", TVSNodeStyle_CheckBoxOn},       {"Ob\xC3\xA4", TVSNodeStyle_OptionButtonOff},
            {"CB4", TVSNodeStyle_CheckBoxoff},      {"OB4", TVSNodeStyle_OptionButtonOff},
            {"cb5", TVSNodeStyle_CheckBoxoff},      {"OB5", TVSNodeStyle_OptionButtonOn},
        };
        for (const auto& [key, style] : items) add("S", key, style, "Text of " + key);
        add("CB3", "CB3child", TVSNodeStyle_CheckBoxOn, "Child");
        add("", "T", TVSNodeStyle_Default, "Other");
        add("T", "CBt", TVSNodeStyle_CheckBoxoff, "Other item");
        w.tv->SetImageList(listWith(list));

        testing_support::RecordingErrorHandler handler;
        if (hook) handler.atFirstReport([&] { hook(w); });
        Outcome o;
        o.result = walk(w);
        o.reports = handler.reports();
        auto nodes = w.tv->Nodes();
        for (int32_t i = 1; i <= nodes->Count(); ++i) {
            auto n = nodes->Item(rt::Variant(i));
            o.nodes.push_back(n->Key() + " " + tree::imageText(n->Image()) + " " + std::to_string(n->Expanded()));
        }
        return o;
    }
};

TEST_F(WalkPathsTest, InPlaceWalksMatchNodeByNodeWalks) {
    struct WalkCase {
        std::string name;
        Walk walk;
    };
    auto click = [](const std::string& key) {
        return [key](World& w) {
            w.tv->clickNode(key);
            return std::string();
        };
    };
    const std::vector<WalkCase> walks = {
        {"select all", [](World& w) { return std::to_string(w.manager->CBSelectAll("S", rt::True16)); }},
        {"clear all", [](World& w) { return std::to_string(w.manager->CBSelectAll("S", rt::False16)); }},
        {"invert", [](World& w) { return std::to_string(w.manager->CBSelectAll("S", 0, rt::True16)); }},
        {"one option on", [](World& w) { return std::to_string(w.manager->OBSetStyle("S", "ob3", TVSNodeStyle_OptionButtonOn)); }},
        {"no option matches", [](World& w) { return std::to_string(w.manager->OBSetStyle("S", "none", TVSNodeStyle_OptionButtonOn)); }},
        {"option by empty key", [](World& w) { return std::to_string(w.manager->OBSetStyle("S", "", TVSNodeStyle_OptionButtonOn)); }},
        {"check one", [](World& w) { return std::to_string(w.manager->CBSetStyle("S", "cb4", TVSNodeStyle_CheckBoxOn)); }},
        {"style of one", [](World& w) { return std::to_string(w.manager->GetTVSNodeStyle("S", "OB5")); }},
        {"state of one", [](World& w) { return std::to_string(w.manager->CBOBGetState("S", "CB3")); }},
        {"text of one", [](World& w) { return w.manager->NodeGetText("S", "PLAIN"); }},
        {"text of none", [](World& w) { return w.manager->NodeGetText("S", "CB3child"); }},
        {"query check boxes",
         [](World& w) {
             auto states = w.manager->QueryNodeCollection("S", TVSNodeType_CB);
             return textsOf(states) + "|" + textsOf(w.manager->QueryNodeTextCollection()) + "|" +
                    textsOf(w.manager->QueryNodeKeysCollection());
         }},
        {"query options",
         [](World& w) {
             return textsOf(w.manager->QueryNodeCollection("S", TVSNodeType_OB)) + "|" +
                    textsOf(w.manager->QueryNodeKeysCollection());
         }},
        {"query into one collection",
         [](World& w) {
             auto shared = rt::make<rt::Collection>();
             w.manager->setQueryNodeTextCollection(shared);
             w.manager->setQueryNodeKeysCollection(shared);
             return textsOf(w.manager->QueryNodeCollection("S", TVSNodeType_CB)) + "|" + textsOf(shared);
         }},
        {"query without states",
         [](World& w) {
             return textsOf(w.manager->QueryNodeCollection("S", 0)) + "|" +
                    textsOf(w.manager->QueryNodeTextCollection());
         }},
        {"open all", [](World& w) { return std::to_string(w.manager->ExpandAll(rt::True16)) + std::to_string(w.manager->IsExpanded()); }},
        {"close all",
         [](World& w) {
             w.manager->ExpandAll(rt::True16);
             return std::to_string(w.manager->ExpandAll(rt::False16)) + std::to_string(w.manager->IsExpanded());
         }},
        {"click an option", click("OB4")},
        {"click the first option", click("OB1")},
        {"click a check box", click("CB2")},
    };
    // The lists: every key, and lists that refuse some of the changes, so
    // that walks report in the middle.
    struct ListCase {
        std::string name;
        std::vector<std::string> keys;
    };
    const std::vector<ListCase> lists = {
        {"every key", AllKeys},
        {"no on keys", {"chkoff", "optoff"}},
        {"no off keys", {"chkon", "opton"}},
        {"no keys", {}},
    };
    struct HookCase {
        std::string name;
        Hook hook;
    };
    const std::vector<HookCase> hooks = {
        {"nothing", nullptr},
        {"clears the tree", [](World& w) { w.tv->Nodes()->Clear(); }},
        {"gives every key", [](World& w) { w.tv->SetImageList(listWith(AllKeys)); }},
        {"takes the off keys", [](World& w) { w.tv->SetImageList(listWith({"chkon", "opton"})); }},
        {"adds an item", [](World& w) { w.tv->Nodes()->Add(rt::Variant("OB3"), tree::tvwNext, rt::Variant("OB9"), rt::Variant("x"), rt::Variant()); }},
        {"unbinds", [](World& w) { w.manager->setTreeViewObject(nullptr); }},
    };
    for (const auto& walk : walks)
        for (const auto& list : lists)
            for (const auto& hook : hooks) {
                SCOPED_TRACE(walk.name + ", " + list.name + ", handler " + hook.name);
                const Outcome inPlace = run(false, list.keys, walk.walk, hook.hook);
                const Outcome stepwise = run(true, list.keys, walk.walk, hook.hook);
                EXPECT_EQ(inPlace, stepwise);
            }
}

// The walks change what they must: a check of the comparison above, which
// would also pass if neither view changed anything.
TEST_F(WalkPathsTest, TheWalksChangeTheTree) {
    const Outcome before = run(false, AllKeys, [](World&) { return std::string(); }, nullptr);
    const Outcome after = run(false, AllKeys, [](World& w) { return std::to_string(w.manager->CBSelectAll("S", 0, rt::True16)); }, nullptr);
    ASSERT_EQ(before.nodes.size(), after.nodes.size());
    EXPECT_EQ(before.nodes[1], "CB1 chkon 0");
    EXPECT_EQ(after.nodes[1], "CB1 chkoff 0");
    EXPECT_EQ(after.nodes[3], "CB2 chkon 0");
    EXPECT_TRUE(after.reports.empty());
}

}  // namespace
}  // namespace Sarn10B::test
