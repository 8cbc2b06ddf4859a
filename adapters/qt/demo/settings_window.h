#pragma once
// The demo's window: an editor's settings dialog whose tree of check boxes
// and option buttons is a QTreeView of the window's own, which shows the
// nodes of a Qt tree view through their model, driven by a style manager. Beside the tree: the choice of
// picture set and buttons for the manager's bulk operations; below it: every
// report of the error channel as it arrives.

#include <QWidget>
#include <string>

#include "adapters/qt/qt_model_tree_view.h"
#include "manager/style_manager.h"

QT_BEGIN_NAMESPACE
class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;
class QTreeView;
QT_END_NAMESPACE

namespace qt_demo {

class SettingsWindow : public QWidget {
public:
    SettingsWindow();
    ~SettingsWindow() override;

    qt_tree::QtModelTreeView& treeView() { return *treeView_; }
    Sarn10B::clsKwAmbrTvsA& manager() { return *manager_; }
    QTreeView* tree() const { return tree_; }
    QComboBox* pictureSets() const { return pictureSets_; }
    QPushButton* queryButton() const { return query_; }
    QLabel* result() const { return result_; }
    QListWidget* reports() const { return reports_; }

private:
    void buildLayout();
    // Adds every section and item through the manager; styles and open
    // sections as saved, or as a new dialog has them.
    void addSettings(const std::vector<int32_t>& styles = {}, const std::vector<bool>& open = {});
    // Shows another picture set: the manager puts a set into the tree as it
    // adds the nodes, so the tree is built anew, keeping every state.
    void usePictureSet(int set);
    // The key of the section of the current item, or "" when none is current.
    std::string selectedSection() const;
    void querySection();
    void addReport(const std::string& line);

    QTreeView* tree_;
    rt::Ref<qt_tree::QtModelTreeView> treeView_;
    rt::Ref<Sarn10B::clsKwAmbrTvsA> manager_ = rt::make<Sarn10B::clsKwAmbrTvsA>();
    QComboBox* pictureSets_ = nullptr;
    QPushButton* query_ = nullptr;
    QLabel* result_ = nullptr;
    QListWidget* reports_ = nullptr;
};

}  // namespace qt_demo
