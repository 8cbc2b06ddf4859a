// The style manager driven by random operations and events while its error
// handler and the message box re-enter it: they clear the tree, refresh,
// rebind or release the manager, click, or fail. Nothing may crash, and the
// tree must stay whole.
#include <cstdlib>
#include <initializer_list>
#include <iterator>
#include <string>
#include <vector>

#include "fuzz/fuzz_input.h"
#include "fuzz/quiet_outside.h"
#include "manager/hidden_form.h"
#include "manager/style_manager.h"
#include "outside/memory_tree.h"
#include "runtime/classes.h"
#include "runtime/dispatch.h"
#include "runtime/error.h"
#include "runtime/msgbox.h"

namespace {

const std::initializer_list<std::string_view> Keys = {"S1", "S2", "CBa", "cbB", "OBa", "OBb", "ob", "X", ""};

struct World {
    fuzzing::Input* in = nullptr;
    rt::Ref<tree::MemoryTreeView> trees[2];
    rt::Ref<Sarn10B::clsKwAmbrTvsA> manager;  // the host's one reference
    int depth = 0;
};
World* world = nullptr;

rt::Ref<tree::TreeNode> someNode(tree::MemoryTreeView& tv) {
    const int32_t count = tv.Nodes()->Count();
    if (count == 0) return {};
    return tv.Nodes()->Item(rt::Variant(world->in->ConsumeIntegralInRange<int32_t>(1, count)));
}

// What a host does from inside a report or a message box. A failure is what
// the outside component answers with.
void reenter() {
    if (!world || world->depth >= 3 || !world->in->more()) return;
    fuzzing::Input& in = *world->in;
    struct Depth {
        Depth() { ++world->depth; }
        ~Depth() { --world->depth; }
    } depth;
    rt::ObjectRef caller = world->manager;  // as a host calls through its variable
    switch (in.ConsumeIntegralInRange<int>(0, 9)) {
        case 0:
            world->trees[in.ConsumeBool()]->Nodes()->Clear();
            break;
        case 1:
            if (world->manager) world->manager->Refresh();
            break;
        case 2:
            if (world->manager) world->manager->setTreeViewObject(world->trees[in.ConsumeBool()]);
            break;
        case 3:
            if (world->manager) world->manager->setTreeViewObject(nullptr);
            break;
        case 4:
            world->manager = nullptr;
            break;
        case 5:
            throw rt::Error(rt::errnum::CannotCreate, "the outside component failed");
        case 6:
            if (auto node = someNode(*world->trees[0])) world->trees[0]->clickNode(node);
            break;
        case 7:
            Sarn10B::frmKwAmbrTvsA::drop();
            break;
        default:
            break;
    }
}

class ReenteringHandler : public rt::Object {
public:
    const rt::ClassInfo& classInfo() const override {
        static const rt::ClassInfo info{"ReenteringHandler",
                                        {{"ErrorHandlerMessageKw", 1, rt::CallKind::Method,
                                          [](rt::Object&, rt::Args&) -> rt::Variant {
                                              reenter();
                                              return {};
                                          }}}};
        return info;
    }
};

void setUpOnce() {
    static const bool done = [] {
        fuzzing::quietOutside();
        rt::registerClass("KwBrenta10.clsKwbrErrorHandlerA", [] { return rt::ObjectRef(rt::make<ReenteringHandler>()); });
        rt::setMessageBoxHandler([](const rt::MessageBoxRequest&) {
            reenter();
            return rt::MsgBoxOk;
        });
        return true;
    }();
    (void)done;
}

// One step of the host or the user.
void act(fuzzing::Input& in) {
    auto& tv = *world->trees[in.ConsumeIntegralInRange<int>(0, 1)];
    rt::Ref<Sarn10B::clsKwAmbrTvsA> caller = world->manager;
    switch (in.ConsumeIntegralInRange<int>(0, 9)) {
        case 0:
        case 1:
            if (caller) {
                Sarn10B::AddNodeArgs a;
                a.sRelative = in.text(Keys);
                a.sRelationship = in.ConsumeIntegralInRange<int32_t>(-1, 5);
                a.sKey = in.text(Keys);
                a.sText = in.text();
                a.enumTVSNodeStyle = in.ConsumeIntegralInRange<int32_t>(-1, 5);
                a.ImageIPictureDispKeyNormal = in.text({"chkoff", "opton", "", "mine"});
                a.bExpanded = in.pick<int16_t>({0, -1, 1});
                caller->AddNode(a);
            }
            break;
        case 2:
            if (auto node = someNode(tv)) tv.clickNode(node);
            break;
        case 3: {
            int16_t key = in.pick<int16_t>({65, 121, 16, 17, 0});
            int16_t shift = in.ConsumeIntegralInRange<int16_t>(0, 7);
            if (in.ConsumeBool())
                tv.pressKey(key, shift);
            else
                tv.releaseKey(key, shift);
            break;
        }
        case 4:
            tv.movePointer(in.ConsumeIntegralInRange<int16_t>(0, 2), 0, in.ConsumeFloatingPoint<float>(),
                           in.ConsumeFloatingPointInRange<float>(-20, 200));
            break;
        case 5:
            if (caller) {
                static const char* const Members[] = {"Refresh", "OBSelectIndex", "OBSetStyle", "NodeGetText",
                                                      "GetTVSNodeStyle", "CBOBGetState", "CBSetStyle", "CBSelectAll",
                                                      "MoreChildrenDefault", "ExpandAll", "QueryNodeCollection"};
                rt::Args args(in.ConsumeIntegralInRange<size_t>(0, 3));
                for (auto& arg : args)
                    arg = in.ConsumeBool() ? rt::Variant(in.text(Keys))
                                           : rt::Variant(in.ConsumeIntegralInRange<int32_t>(-2, 5));
                rt::callByName(rt::ObjectRef(caller), Members[in.ConsumeIntegralInRange<size_t>(0, std::size(Members) - 1)],
                               rt::CallKind::Method, args);
            }
            break;
        case 6:
            if (caller) {
                caller->setTaginToolTip(in.pick<int16_t>({0, -1}));
                caller->setHitTestOnMouseMove(in.pick<int16_t>({0, -1}));
                caller->setImageStyles(in.ConsumeIntegralInRange<int32_t>(-1, 4));
            }
            break;
        case 7:
            if (caller) caller->setTreeViewObject(in.ConsumeBool() ? rt::ObjectRef(world->trees[0]) : rt::ObjectRef());
            break;
        case 8:
            if (!world->manager) {
                world->manager = rt::make<Sarn10B::clsKwAmbrTvsA>();
                world->manager->setTreeViewObject(world->trees[0]);
            } else if (in.ConsumeBool()) {
                world->manager = nullptr;
            }
            break;
        default:
            tv.Nodes()->Clear();
            break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    setUpOnce();
    fuzzing::Input in(data, size);
    World w;
    w.in = &in;
    w.trees[0] = rt::make<tree::MemoryTreeView>();
    w.trees[1] = rt::make<tree::MemoryTreeView>();
    w.manager = rt::make<Sarn10B::clsKwAmbrTvsA>();
    w.manager->setTreeViewObject(w.trees[0]);
    world = &w;
    for (int step = 0; step < 100 && in.more(); ++step) {
        try {
            act(in);
        } catch (const rt::Error&) {
            // a failed report, or a refused host call
        }
        w.trees[0]->checkInvariants();
        w.trees[1]->checkInvariants();
    }
    w.manager = nullptr;
    world = nullptr;
    Sarn10B::frmKwAmbrTvsA::drop();
    return 0;
}
