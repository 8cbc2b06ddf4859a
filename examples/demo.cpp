// The road of a typical use, on an in-memory tree view: bind a style manager,
// add a section of check boxes and one of option buttons, click, set, invert,
// query, use the keyboard and the pointer, and Refresh. Every report of the
// error channel is printed as it arrives.
//
// Usage: demo [folder for the PNG pictures]

#include <iostream>
#include <string>

#include "manager/hidden_form.h"
#include "manager/style_manager.h"
#include "outside/error_handler_standin.h"
#include "outside/memory_tree.h"
#include "outside/tree_text.h"
#include "runtime/msgbox.h"

using namespace Sarn10B;

namespace {

void show(const std::string& what, tree::MemoryTreeView& tv) {
    std::cout << "\n-- " << what << "\n" << tree::treeAsText(tv);
}

void savePictures(const std::string& folder) {
    auto form = frmKwAmbrTvsA::current();
    std::cout << "\n-- the hidden form \"" << form->Caption << "\": pictures written to " << folder << "\n";
    rt::savePng(*form->imgBlank->Picture(), folder + "/imgBlank.png");
    for (int set = 0; set <= 3; ++set) {
        auto list = form->imageListFor(set);
        for (const char* key : {"chkoff", "chkon", "optoff", "opton"}) {
            std::string file = folder + "/" + list->name() + "_" + key + ".png";
            rt::savePng(*list->ListImages()->pictureFor(key), file);
        }
        std::cout << "   " << list->name() << ": chkoff chkon optoff opton\n";
    }
}

}  // namespace

int main(int argc, char** argv) {
    const std::string folder = argc > 1 ? argv[1] : ".";
    outside::registerErrorHandlerStandIn([](const std::string& line) { std::cout << "   report> " << line << "\n"; });
    rt::setMessageBoxHandler([](const rt::MessageBoxRequest& r) {
        std::cout << "   message box [" << r.title << "] style " << r.style << ": \"" << r.prompt << "\"\n";
        return rt::MsgBoxOk;
    });

    auto tv = rt::make<tree::MemoryTreeView>();
    auto manager = rt::make<clsKwAmbrTvsA>();
    manager->setTreeViewObject(tv);

    std::cout << "-- AddNode: a section of check boxes and one of option buttons\n";
    manager->AddNode({.sKey = "S1", .sText = "Fonts", .enumTVSNodeStyle = TVSNodeStyle_Default});
    for (auto [key, text] : {std::pair{"CBbold", "Bold"}, {"CBitalic", "Italic"}, {"CBunder", "Underline"}})
        manager->AddNode({.sRelative = "S1", .sRelationship = tree::tvwChild, .sKey = key, .sText = text});
    manager->AddNode({.sKey = "S2", .sText = "Alignment", .enumTVSNodeStyle = TVSNodeStyle_Default});
    manager->AddNode({.sRelative = "S2", .sRelationship = tree::tvwChild, .sKey = "OBleft", .sText = "Left",
                      .enumTVSNodeStyle = TVSNodeStyle_OptionButtonOn});
    for (auto [key, text] : {std::pair{"OBcenter", "Center"}, {"OBright", "Right"}})
        manager->AddNode({.sRelative = "S2", .sRelationship = tree::tvwChild, .sKey = key, .sText = text,
                          .enumTVSNodeStyle = TVSNodeStyle_OptionButtonOff});
    show("the tree", *tv);
    savePictures(folder);

    std::cout << "\n-- AddNode with a key the tree already has (three reports)\n";
    manager->AddNode({.sRelative = "S1", .sRelationship = tree::tvwChild, .sKey = "CBbold", .sText = "Bold again"});

    tv->clickNode("CBbold");
    tv->clickNode("OBright");
    show("clicked Bold and Right", *tv);

    manager->CBSetStyle("S1", "CBitalic", TVSNodeStyle_CheckBoxOn);
    manager->OBSetStyle("S2", "OBcenter", TVSNodeStyle_OptionButtonOn);
    show("CBSetStyle Italic on, OBSetStyle Center on", *tv);
    std::cout << "   GetTVSNodeStyle(S1, CBbold) = " << manager->GetTVSNodeStyle("S1", "CBbold")
              << ", CBOBGetState(S2, OBright) = " << manager->CBOBGetState("S2", "OBright")
              << ", NodeGetText(S2, OBcenter) = \"" << manager->NodeGetText("S2", "OBcenter") << "\"\n";

    std::cout << "   CBSelectAll(S1, invert) = " << manager->CBSelectAll("S1", 0, rt::True16) << "\n";
    show("the check boxes inverted", *tv);

    auto states = manager->QueryNodeCollection("S1");
    std::cout << "\n-- QueryNodeCollection(S1):";
    for (const auto& s : states->texts()) std::cout << " " << s;
    std::cout << "\n   texts:";
    for (const auto& s : manager->QueryNodeTextCollection()->texts()) std::cout << " " << s;
    std::cout << "\n   keys:";
    for (const auto& s : manager->QueryNodeKeysCollection()->texts()) std::cout << " " << s;
    std::cout << "\n";

    std::cout << "\n-- Ctrl+A expands everything, F10 tells about the last clicked node\n";
    tv->pressKey(65, 2);
    tv->releaseKey(65, 2);
    std::cout << "   IsExpanded = " << manager->IsExpanded() << "\n";
    tv->pressKey(121, 0);
    tv->releaseKey(121, 0);

    std::cout << "\n-- the selection follows the pointer\n";
    manager->setHitTestOnMouseMove(rt::True16);
    tv->movePointer(0, 0, 10, 2 * tree::MemoryTreeView::RowHeight + 3);
    std::cout << "   selected: " << (tv->selectedNode() ? tv->selectedNode()->Key() : "(none)") << "\n";

    std::cout << "\n-- a section that does not exist (three reports)\n";
    manager->CBSetStyle("S9", "CBbold", TVSNodeStyle_CheckBoxOn);

    std::cout << "\n-- Refresh while bound\n";
    manager->Refresh();
    show("the tree after Refresh", *tv);
    std::cout << "   bound: " << (manager->TreeViewObject() ? "yes" : "no") << "\n";

    std::cout << "\n-- Refresh while unbound (two reports)\n";
    manager->Refresh();
    return 0;
}
