// A small host for the test through the desktop's accessibility stack
// (screen_reader_check.py): the model view and the widget view, each driven
// by a style manager, beside a plain QTreeWidget with checkable items, the
// tree a Qt programmer would write without the library. Each tree is short,
// so that its rows scroll; all hold the same section of check boxes. F5
// builds the model view's tree anew (Refresh, then every node again), as a
// host does while the keyboard is in the tree.
#include <QApplication>
#include <QHBoxLayout>
#include <QShortcut>
#include <QTreeWidget>
#include <string>

#include "adapters/qt/qt_model_tree_view.h"
#include "adapters/qt/qt_tree_view.h"
#include "manager/style_manager.h"
#include "outside/error_handler_standin.h"

namespace {

constexpr int Items = 30;

std::string itemText(int i) { return "Option " + std::to_string(i + 1); }

void fill(Sarn10B::clsKwAmbrTvsA& manager) {
    using namespace Sarn10B;
    manager.AddNode({.sKey = "S1", .sText = "Options", .enumTVSNodeStyle = TVSNodeStyle_Default,
                     .bExpanded = rt::True16, .sTag = "Every option"});
    for (int i = 0; i < Items; ++i)
        manager.AddNode({.sRelative = "S1", .sRelationship = tree::tvwChild, .sKey = "CB" + std::to_string(i),
                         .sText = itemText(i), .enumTVSNodeStyle = i % 2 ? TVSNodeStyle_CheckBoxOn : TVSNodeStyle_CheckBoxoff,
                         .sTag = "Note " + std::to_string(i + 1)});
}

QTreeWidget* plainTree() {
    auto* tree = new QTreeWidget;
    tree->setHeaderHidden(true);
    auto* section = new QTreeWidgetItem(tree, {QStringLiteral("Options")});
    for (int i = 0; i < Items; ++i) {
        auto* item = new QTreeWidgetItem(section, {QString::fromStdString(itemText(i))});
        item->setCheckState(0, i % 2 ? Qt::Checked : Qt::Unchecked);
        item->setToolTip(0, QStringLiteral("Note %1").arg(i + 1));
    }
    tree->expandAll();
    return tree;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    outside::registerErrorHandlerStandIn();
    QWidget window;
    window.setWindowTitle(QStringLiteral("Three trees"));
    auto* layout = new QHBoxLayout(&window);

    auto modelView = rt::make<qt_tree::QtModelTreeView>();
    auto widgetView = rt::make<qt_tree::QtTreeView>();
    auto modelManager = rt::make<Sarn10B::clsKwAmbrTvsA>();
    auto widgetManager = rt::make<Sarn10B::clsKwAmbrTvsA>();
    modelManager->setTreeViewObject(modelView);
    widgetManager->setTreeViewObject(widgetView);
    fill(*modelManager);
    fill(*widgetManager);
    QTreeWidget* plain = plainTree();

    const std::pair<QWidget*, const char*> trees[] = {
        {modelView->widget(), "Model view"}, {widgetView->widget(), "Widget view"}, {plain, "Plain tree"}};
    for (const auto& [tree, name] : trees) {
        tree->setAccessibleName(QString::fromLatin1(name));
        tree->setFixedSize(220, 160);
        layout->addWidget(tree);
    }
    QShortcut rebuild(QKeySequence(Qt::Key_F5), &window);
    QObject::connect(&rebuild, &QShortcut::activated, [&] {
        modelManager->Refresh();
        modelManager->setTreeViewObject(modelView);
        fill(*modelManager);
    });
    window.show();
    window.activateWindow();
    modelView->widget()->setFocus();
    const int status = app.exec();
    modelManager->setTreeViewObject(nullptr);
    widgetManager->setTreeViewObject(nullptr);
    return status;
}
