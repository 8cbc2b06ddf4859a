// Calls by name and by dispatch identifier on every public class, with names,
// identifiers, call kinds and arguments of every kind drawn from the input.
// Each call returns or fails with the runtime's error; nothing else may
// happen.
#include <cctype>
#include <cstdlib>
#include <iterator>
#include <string>
#include <vector>

#include "fuzz/fuzz_input.h"
#include "fuzz/quiet_outside.h"
#include "library/component.h"
#include "outside/memory_tree.h"
#include "runtime/collection.h"
#include "runtime/dispatch.h"
#include "runtime/error.h"

namespace {

const char* const ClassNames[] = {"clsKwAmbrTvsA",          "clsKwOrvel10BA",     "clsKwAmbrTreeviewWndClassA",
                                  "clsKwAmbrListViewWndClassA", "clsKwAmbrGeneralA", "clsKwAmbrAdvancedA"};

// Member names as a caller may write them: as declared, in other letter case,
// cut short, or any text.
std::string drawName(fuzzing::Input& in, const rt::ClassInfo& info) {
    if (info.members.empty() || in.ConsumeIntegralInRange<int>(0, 4) == 0) return in.ConsumeRandomLengthString(20);
    std::string name(in.element(info.members).name);
    switch (in.ConsumeIntegralInRange<int>(0, 3)) {
        case 0:
            for (auto& c : name)
                if (std::isalpha(static_cast<unsigned char>(c)) && in.ConsumeBool()) c = static_cast<char>(c ^ 0x20);
            break;
        case 1:
            name.resize(in.ConsumeIntegralInRange<size_t>(0, name.size()));
            break;
        default:
            break;
    }
    return name;
}

int32_t drawDispid(fuzzing::Input& in, const rt::ClassInfo& info) {
    if (info.members.empty() || in.ConsumeBool()) return in.ConsumeIntegral<int32_t>();
    return in.element(info.members).dispid + in.ConsumeIntegralInRange<int32_t>(-1, 1) * in.ConsumeBool();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzing::quietOutside();
    fuzzing::Input in(data, size);

    std::vector<rt::ObjectRef> objects;
    for (const char* name : ClassNames) objects.push_back(Sarn10B::factoryOf(name)());
    objects.push_back(rt::make<tree::MemoryTreeView>());
    objects.push_back(rt::make<rt::Collection>());
    objects.push_back(rt::ObjectRef());
    const size_t publicClasses = std::size(ClassNames);

    for (int call = 0; call < 64 && in.more(); ++call) {
        rt::ObjectRef target = objects[in.ConsumeIntegralInRange<size_t>(0, publicClasses - 1)];
        const rt::ClassInfo& info = target->classInfo();
        const auto kind = in.pick({rt::CallKind::Method, rt::CallKind::PropertyGet, rt::CallKind::PropertyLet,
                                   rt::CallKind::PropertySet, static_cast<rt::CallKind>(3)});
        rt::Args args(in.ConsumeIntegralInRange<size_t>(0, 11));
        for (auto& a : args) a = in.variant(objects, {"S1", "CBa", "OBb", "chkoff", "", "1", "-1"});
        try {
            if (in.ConsumeBool())
                rt::callByName(target, drawName(in, info), kind, args);
            else
                rt::invokeDispid(*target, drawDispid(in, info), kind, args);
        } catch (const rt::Error&) {
        }
    }
    return 0;
}
