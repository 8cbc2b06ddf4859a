// One table of case pairs from a dozen scripts, compared by the style
// manager's key lookup, the tree view's node keys and the text comparison
// itself. Built natively and for Windows; scripts/test-text-agreement.sh runs
// both under an English and a Turkish locale and requires the same output.
//
// Usage: text_agreement en|tr   (which column of expectations applies)
#include <cstdio>
#include <cstring>
#include <string>

#include "manager/style_manager.h"
#include "outside/error_handler_standin.h"
#include "outside/memory_tree.h"
#include "runtime/error.h"
#include "runtime/text.h"

namespace {

struct Pair {
    const char* name;
    const char* a;
    const char* b;
    bool equalInEnglish;
    bool equalInTurkish;
};

const Pair pairs[] = {
    {"Latin A with dot below", "Ạ", "ạ", true, true},
    {"Latin B with hook", "Ɓ", "ɓ", true, true},
    {"Latin O double acute, S comma", "ŐȘ", "őș", true, true},
    {"Latin accents count", "É", "e", false, false},
    {"Latin sharp s and SS", "STRASSE", "straße", true, true},
    {"Greek final sigma", "ΟΔΟΣ", "οδος", true, true},
    {"Greek final sigma and sigma", "ς", "σ", true, true},
    {"Greek with tonos", "ΆΈΉ", "άέή", true, true},
    {"Cyrillic", "ЖЁЛТЫЙ", "жёлтый", true, true},
    {"Cyrillic Ie is not Latin e", "Е", "e", false, false},
    {"Armenian", "ԱՐԱՐԱՏ", "արարատ", true, true},
    {"Georgian Mtavruli", "ᲡᲐᲥᲐᲠᲗᲕᲔᲚᲝ", "საქართველო", true, true},
    {"Georgian Asomtavruli", "Ⴀ", "ⴀ", true, true},
    {"Cherokee", "ᏣᎳᎩ", "ꮳꮃꭹ", true, true},
    {"Cherokee letters differ", "Ꭰ", "ꭱ", false, false},
    {"Glagolitic", "Ⰰ", "ⰰ", true, true},
    {"Deseret", "𐐀", "𐐨", true, true},
    {"full-width", "ＡＢＣ", "ａｂｃ", true, true},
    {"full-width is not ASCII", "Ａ", "a", false, false},
    {"ASCII key", "CbKey", "CBKEY", true, true},
    {"ASCII with I", "OPTION", "option", true, false},
    {"Turkish I and dotless i", "I", "ı", false, true},
    {"Turkish dotted I and i", "İ", "i", false, true},
    {"Turkish dotless i and i", "ı", "i", false, false},
    {"Turkish word", "DİYARBAKIR", "diyarbakır", false, true},
    {"hyphen counts", "a-b", "ab", false, false},
    {"control character counts", "a\x01", "a", false, false},
};

int passed = 0, failed = 0;

// The manager finds an item of a section by its key.
bool managerFinds(const std::string& stored, const std::string& asked) {
    auto tv = rt::make<tree::MemoryTreeView>();
    auto manager = rt::make<Sarn10B::clsKwAmbrTvsA>();
    manager->setTreeViewObject(tv);
    manager->AddNode({.sKey = "S1", .sText = "Section", .enumTVSNodeStyle = Sarn10B::TVSNodeStyle_Default});
    manager->AddNode({.sRelative = "S1", .sRelationship = tree::tvwChild, .sKey = stored, .sText = "found",
                      .enumTVSNodeStyle = Sarn10B::TVSNodeStyle_Default});
    return manager->NodeGetText("S1", asked) == "found";
}

// The tree view finds a node by its key.
bool treeFinds(const std::string& stored, const std::string& asked) {
    auto tv = rt::make<tree::MemoryTreeView>();
    tv->Nodes()->Add(rt::Missing{}, rt::Missing{}, stored, "found", rt::Missing{});
    try {
        return tv->Nodes()->Item(asked)->Text() == "found";
    } catch (const rt::Error&) {
        return false;
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 || (std::strcmp(argv[1], "en") != 0 && std::strcmp(argv[1], "tr") != 0)) {
        std::printf("usage: text_agreement en|tr\n");
        return 2;
    }
    const bool turkish = std::strcmp(argv[1], "tr") == 0;
    // A key that is not found is reported; the reports are not what is compared.
    outside::registerErrorHandlerStandIn([](const std::string&) {});
    for (const auto& p : pairs) {
        const bool expected = turkish ? p.equalInTurkish : p.equalInEnglish;
        const bool equal = rt::textEquals(p.a, p.b);
        const bool manager = managerFinds(p.a, p.b);
        const bool nodes = treeFinds(p.a, p.b);
        std::printf("%-32s equal=%d manager=%d nodes=%d\n", p.name, equal, manager, nodes);
        const bool ok = equal == expected && manager == expected && nodes == expected;
        ++(ok ? passed : failed);
        if (!ok) std::printf("FAILED: %s, expected %s\n", p.name, expected ? "equal" : "unequal");
    }
    std::printf("%d passed, %d failed\n", passed, failed);
    return failed;
}
