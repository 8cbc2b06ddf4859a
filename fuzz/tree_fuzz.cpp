// Random sequences of operations on a tree view, each compared with a plain
// model of the tree: nodes in the order of adding, their parent and ordered
// children, unique keys without regard to case, and the failure number that
// each refused operation must give. Built three times: for the in-memory tree
// view, with QT_TREE_VIEW for the Qt tree view over a QTreeWidget, and with
// QT_MODEL_TREE_VIEW for the one over a model, whose rows as Qt reads them
// are compared too, under Qt's own checks of the model's answers and signals.
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "fuzz/fuzz_input.h"
#include "outside/memory_tree.h"
#include "runtime/error.h"
#include "runtime/text.h"

#if defined(QT_TREE_VIEW) || defined(QT_MODEL_TREE_VIEW)
#define ON_QT
#include <QApplication>
#include <QTreeView>
#endif
#ifdef QT_TREE_VIEW
#include "adapters/qt/qt_tree_view.h"
#endif
#ifdef QT_MODEL_TREE_VIEW
#include <QAbstractItemModelTester>

#include "adapters/qt/qt_model_tree_view.h"
#endif

namespace {

#ifdef ON_QT
#ifdef QT_TREE_VIEW
using View = qt_tree::QtTreeView;
#else
using View = qt_tree::QtModelTreeView;
#endif
void setUpOnce() {
    static QApplication* app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "qt_tree_fuzz";
        static char* argv[] = {name, nullptr};
        auto* made = new QApplication(argc, argv);  // kept for the whole run
        // Fonts are loaded once, on the first layout, and kept: before any
        // input, so that no input seems to leak them.
        QTreeView warm;
        warm.show();
        QApplication::processEvents();
        return made;
    }();
    (void)app;
}
void letTheWidgetRun() { QApplication::processEvents(); }
}  // namespace
// The system's font library keeps what it looks up for as long as the
// process runs; the fuzzer would take that for a leak of the input.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
namespace {
#else
using View = tree::MemoryTreeView;
void setUpOnce() {}
void letTheWidgetRun() {}
#endif

using tree::errnum::ElementNotFound;
using tree::errnum::ImageListNotInitialized;
using tree::errnum::IndexOutOfBounds;
using tree::errnum::KeyNotUnique;

[[noreturn]] void broken(const std::string& what) {
    fprintf(stderr, "tree differs from the model: %s\n", what.c_str());
    std::abort();
}

struct Node {
    std::string key;
    std::string text;
    rt::Variant image;
    int parent = -1;
    std::vector<int> children;
};

struct Model {
    std::vector<Node> nodes;
    std::vector<int> roots;
    bool hasList = false;  // the list holds pictures "a" and "b"

    std::vector<int>& siblingsOf(int parent) { return parent < 0 ? roots : nodes[parent].children; }

    int findKey(const std::string& key) const {
        if (key.empty()) return -1;
        for (size_t i = 0; i < nodes.size(); ++i)
            if (rt::foldCase(nodes[i].key) == rt::foldCase(key)) return static_cast<int>(i);
        return -1;
    }
    // The node that Item would give, or the failure number.
    int lookUp(const rt::Variant& v, int32_t& failure) const {
        if (v.isString()) {
            int i = findKey(rt::toText(v));
            if (i < 0) failure = ElementNotFound;
            return i;
        }
        int32_t position = rt::toInt32(v);
        if (position < 1 || position > static_cast<int32_t>(nodes.size())) {
            failure = IndexOutOfBounds;
            return -1;
        }
        return position - 1;
    }
    // The image a node keeps, or the failure number.
    rt::Variant image(const rt::Variant& v, int32_t& failure) const {
        if (v.isEmpty() || (v.isString() && rt::toText(v).empty())) return {};
        if (!hasList) {
            failure = ImageListNotInitialized;
            return {};
        }
        if (v.isString()) {
            const std::string k = rt::foldCase(rt::toText(v));
            if (k != "a" && k != "b") failure = ElementNotFound;
            return rt::toText(v);
        }
        int32_t position = rt::toInt32(v);
        if (position < 1 || position > 2) failure = IndexOutOfBounds;
        return position;
    }
};

// Runs op; the failure number it gives (0: none).
template <class F>
int32_t failureOf(F&& op) {
    try {
        op();
        return 0;
    } catch (const rt::Error& e) {
        return e.number();
    }
}

void expectFailure(int32_t actual, int32_t expected, const char* op) {
    if (actual != expected)
        broken(std::string(op) + " failed with " + std::to_string(actual) + ", not " + std::to_string(expected));
}

std::string textOf(const rt::Ref<tree::TreeNode>& n) { return n ? n->Text() : "(nothing)"; }

void compare(View& tv, const Model& m) {
    tv.checkInvariants();
    auto nodes = tv.Nodes();
    if (nodes->Count() != static_cast<int32_t>(m.nodes.size())) broken("count");
    auto textAt = [&](int i) { return i < 0 ? std::string("(nothing)") : m.nodes[i].text; };
    for (size_t i = 0; i < m.nodes.size(); ++i) {
        const Node& want = m.nodes[i];
        auto n = nodes->Item(rt::Variant(static_cast<int32_t>(i + 1)));
        const std::string where = "node " + std::to_string(i + 1) + " ";
        if (n->Text() != want.text || n->Key() != want.key) broken(where + "text or key");
        if (!(n->Image() == want.image)) broken(where + "image " + rt::describe(n->Image()));
        if (textOf(n->Parent()) != textAt(want.parent)) broken(where + "parent");
        if (n->Children() != static_cast<int32_t>(want.children.size())) broken(where + "child count");
        if (textOf(n->Child()) != textAt(want.children.empty() ? -1 : want.children.front())) broken(where + "child");
        const auto& siblings = want.parent < 0 ? m.roots : m.nodes[want.parent].children;
        int next = -1;
        for (size_t s = 0; s + 1 < siblings.size(); ++s)
            if (siblings[s] == static_cast<int>(i)) next = siblings[s + 1];
        if (textOf(n->Next()) != textAt(next)) broken(where + "next");
        if (!want.key.empty() && textOf(nodes->Item(rt::Variant(want.key))) != want.text) broken(where + "by key");
    }
}

#ifdef QT_MODEL_TREE_VIEW
// The rows as Qt reads them from the model: each owner's children in order,
// with their texts.
void compareRows(View& tv, const Model& m) {
    QAbstractItemModel* model = tv.model();
    std::vector<std::pair<QModelIndex, const std::vector<int>*>> owners{{QModelIndex(), &m.roots}};
    while (!owners.empty()) {
        const auto [owner, children] = owners.back();
        owners.pop_back();
        if (model->rowCount(owner) != static_cast<int>(children->size())) broken("row count");
        for (int row = 0; row < static_cast<int>(children->size()); ++row) {
            const QModelIndex at = model->index(row, 0, owner);
            const Node& want = m.nodes[static_cast<size_t>((*children)[static_cast<size_t>(row)])];
            if (at.data().toString().toStdString() != want.text) broken("the text of row " + std::to_string(row));
            if (model->parent(at) != owner) broken("the parent of row " + std::to_string(row));
            owners.emplace_back(at, &want.children);
        }
    }
}
#endif

rt::Variant drawReference(fuzzing::Input& in, const Model& m) {
    switch (in.ConsumeIntegralInRange<int>(0, 3)) {
        case 0: return rt::Missing{};
        case 1: return in.ConsumeIntegralInRange<int32_t>(-1, static_cast<int32_t>(m.nodes.size()) + 1);
        default: return in.text({"k1", "k2", "k3", "K1", "", "k4", "Äb", "äB"});
    }
}

rt::Variant drawImage(fuzzing::Input& in) {
    switch (in.ConsumeIntegralInRange<int>(0, 3)) {
        case 0: return rt::Empty{};
        case 1: return in.ConsumeIntegralInRange<int32_t>(-1, 3);
        default: return in.text({"a", "b", "c", ""});
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    setUpOnce();
    fuzzing::Input in(data, size);
    auto tv = rt::make<View>();
#ifdef QT_MODEL_TREE_VIEW
    QAbstractItemModelTester checks(tv->model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
#endif
    auto list = rt::make<tree::ImageList>();
    auto pictures = list->ListImages();
    pictures->Add(rt::Missing{}, "a", rt::make<rt::Picture>(rt::PictureType::Bitmap, 1, 1));
    pictures->Add(rt::Missing{}, "b", rt::make<rt::Picture>(rt::PictureType::Bitmap, 1, 1));
    Model m;
    std::vector<rt::Ref<tree::TreeNode>> taken;  // node objects from before a Clear
    int added = 0;

    for (int op = 0; op < 100 && in.more(); ++op) {
        switch (in.ConsumeIntegralInRange<int>(0, 7)) {
            case 0:
            case 1: {  // Nodes.Add
                const rt::Variant relative = drawReference(in, m);
                const rt::Variant relationship =
                    in.ConsumeBool() ? rt::Variant(rt::Missing{}) : rt::Variant(in.ConsumeIntegralInRange<int32_t>(-1, 5));
                const std::string key = in.text({"k1", "k2", "k3", "K2", "", "Äb", "äB"});
                const std::string text = "#" + std::to_string(added++);
                const rt::Variant image = drawImage(in);

                int32_t expected = 0;
                int anchor = -1;
                int32_t how = tree::tvwLast;
                if (!relative.isMissing()) {
                    anchor = m.lookUp(relative, expected);
                    if (!expected) {
                        how = relationship.isMissing() ? tree::tvwNext : rt::toInt32(relationship);
                        if (how < tree::tvwFirst || how > tree::tvwChild) expected = rt::errnum::InvalidCall;
                    }
                }
                if (!expected && m.findKey(key) >= 0) expected = KeyNotUnique;
                rt::Variant kept;
                if (!expected) kept = m.image(image, expected);

                const int32_t actual = failureOf([&] { tv->Nodes()->Add(relative, relationship, key, text, image); });
                expectFailure(actual, expected, "Add");
                if (expected) break;

                const int index = static_cast<int>(m.nodes.size());
                int parent = -1;
                size_t at = m.roots.size();
                if (anchor >= 0) {
                    parent = how == tree::tvwChild ? anchor : m.nodes[anchor].parent;
                    auto& siblings = m.siblingsOf(parent);
                    size_t anchorAt = 0;
                    while (anchor != parent && siblings[anchorAt] != anchor) ++anchorAt;
                    at = how == tree::tvwFirst      ? 0
                         : how == tree::tvwPrevious ? anchorAt
                         : how == tree::tvwNext     ? anchorAt + 1
                                                    : siblings.size();
                }
                m.nodes.push_back({key, text, kept, parent, {}});
                auto& siblings = m.siblingsOf(parent);
                siblings.insert(siblings.begin() + static_cast<std::ptrdiff_t>(at), index);
                break;
            }
            case 2: {  // Item, then hold the node for later
                const rt::Variant which = drawReference(in, m);
                if (which.isMissing()) break;
                int32_t expected = 0;
                const int i = m.lookUp(which, expected);
                rt::Ref<tree::TreeNode> n;
                expectFailure(failureOf([&] { n = tv->Nodes()->Item(which); }), expected, "Item");
                if (!expected) {
                    if (n->Text() != m.nodes[i].text) broken("Item found another node");
                    taken.push_back(n);
                }
                break;
            }
            case 3: {  // setImage on a node
                if (m.nodes.empty()) break;
                const int i = in.ConsumeIntegralInRange<int>(0, static_cast<int>(m.nodes.size()) - 1);
                const rt::Variant image = drawImage(in);
                int32_t expected = 0;
                const rt::Variant kept = m.image(image, expected);
                auto n = tv->Nodes()->Item(rt::Variant(static_cast<int32_t>(i + 1)));
                expectFailure(failureOf([&] { n->setImage(image); }), expected, "setImage");
                if (!expected) m.nodes[i].image = kept;
                break;
            }
            case 4:  // the image list comes and goes; nodes keep their images
                m.hasList = in.ConsumeBool();
                tv->SetImageList(m.hasList ? list : nullptr);
                break;
            case 5:  // Clear: every node taken before is dead
                tv->Nodes()->Clear();
                m.nodes.clear();
                m.roots.clear();
                for (auto& n : taken) expectFailure(failureOf([&] { n->Key(); }), tree::errnum::ControlDeleted, "Key of a cleared node");
                taken.clear();
                break;
            case 7:  // the widget's turn: owed rows are told, or read
#ifdef QT_MODEL_TREE_VIEW
                if (in.ConsumeBool()) compareRows(*tv, m);
#endif
                letTheWidgetRun();
                break;
            default: {  // setText
                if (m.nodes.empty()) break;
                const int i = in.ConsumeIntegralInRange<int>(0, static_cast<int>(m.nodes.size()) - 1);
                const std::string text = "#" + std::to_string(added++);
                tv->Nodes()->Item(rt::Variant(static_cast<int32_t>(i + 1)))->setText(text);
                m.nodes[i].text = text;
                break;
            }
        }
        compare(*tv, m);
    }
    return 0;
}
