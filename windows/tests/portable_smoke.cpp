// The portable sources running on Windows: the road of a typical use on the
// in-memory tree view, without any component machinery.
#include <cstdio>
#include <string>

#include "manager/style_manager.h"
#include "outside/memory_tree.h"
#include "runtime/collection.h"
#include "runtime/text.h"

namespace {

int passed = 0, failed = 0;

void check(bool ok, const char* what) {
    ++(ok ? passed : failed);
    if (!ok) std::printf("FAILED: %s\n", what);
}

}  // namespace

int main() {
    auto tv = rt::make<tree::MemoryTreeView>();
    auto manager = rt::make<Sarn10B::clsKwAmbrTvsA>();
    manager->setTreeViewObject(tv);
    manager->AddNode({.sKey = "S1", .sText = "Fonts", .enumTVSNodeStyle = Sarn10B::TVSNodeStyle_Default});
    manager->AddNode({.sRelative = "S1", .sRelationship = tree::tvwChild, .sKey = "CBbold", .sText = "Bold"});
    check(tv->Nodes()->Count() == 2, "two nodes");
    check(rt::toText(tv->Nodes()->Item(std::string("CBbold"))->Image()) == "chkoff", "chkoff after adding");
    tv->clickNode("CBbold");
    check(rt::toText(tv->Nodes()->Item(std::string("CBbold"))->Image()) == "chkon", "chkon after click");
    auto states = manager->QueryNodeCollection("S1");
    check(states->Count() == 1 && rt::toText(states->Item(1)) == "True", "query holds True");
    check(rt::textEquals("\xC3\x84", "\xC3\xA4"), "case folding beyond ASCII");
    manager->Refresh();
    check(tv->Nodes()->Count() == 0, "refresh empties the tree");
    std::printf("%d passed, %d failed\n", passed, failed);
    return failed;
}
