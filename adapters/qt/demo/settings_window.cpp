#include "adapters/qt/demo/settings_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>
#include <iterator>

#include "examples/demo_settings.h"
#include "outside/error_handler_standin.h"
#include "runtime/collection.h"

namespace qt_demo {
namespace {

using namespace Sarn10B;

const char* const PictureSetNames[] = {"Check boxes", "Wrong and right marks", "Wrong and right marks in colour",
                                       "Locked and unlocked"};

QString joined(const rt::Ref<rt::Collection>& collection) {
    QStringList parts;
    for (const auto& text : collection->texts()) parts << QString::fromStdString(text);
    return parts.isEmpty() ? QStringLiteral("none") : parts.join(QStringLiteral(", "));
}

}  // namespace

SettingsWindow::SettingsWindow() : tree_(new QTreeView) {
    setWindowTitle(QStringLiteral("Editor settings"));
    tree_->setHeaderHidden(true);
    // What a screen reader says of the tree; each item's note (its tag) is
    // that item's own description.
    tree_->setAccessibleName(QStringLiteral("Settings"));
    tree_->setAccessibleDescription(QStringLiteral("Space changes the current item, Left and Right close and open a section"));
    // The window has its tree widget; the tree view shows its nodes there,
    // and the manager drives the tree view.
    treeView_ = rt::make<qt_tree::QtModelTreeView>(tree_);
    outside::registerErrorHandlerStandIn([this](const std::string& line) { addReport(line); });
    manager_->setTreeViewObject(treeView_);
    manager_->setTaginToolTip(rt::True16);
    buildLayout();
    addSettings();
}

SettingsWindow::~SettingsWindow() {
    // Reports after the window is gone go to standard error again.
    outside::registerErrorHandlerStandIn();
    manager_->setTreeViewObject(nullptr);
}

void SettingsWindow::buildLayout() {
    auto* heading = new QLabel(QStringLiteral(
        "<b>Editor settings</b><br>Click an item, or press Space on it, to change it. The arrow keys, Home and End "
        "move through the tree; Ctrl+A opens or closes every section; F10 tells about the item clicked last. Tab "
        "goes on to the buttons, and Alt with an underlined letter presses one."));
    heading->setWordWrap(true);

    pictureSets_ = new QComboBox;
    for (const char* name : PictureSetNames) pictureSets_->addItem(QString::fromUtf8(name));
    connect(pictureSets_, &QComboBox::currentIndexChanged, this, [this](int set) { usePictureSet(set); });
    auto* pictureLabel = new QLabel(QStringLiteral("&Pictures:"));
    pictureLabel->setBuddy(pictureSets_);

    auto* selectAll = new QPushButton(QStringLiteral("&Select all"));
    auto* invert = new QPushButton(QStringLiteral("&Invert"));
    auto* expand = new QPushButton(QStringLiteral("&Expand all"));
    auto* collapse = new QPushButton(QStringLiteral("C&ollapse all"));
    query_ = new QPushButton(QStringLiteral("&Query section"));
    connect(selectAll, &QPushButton::clicked, this, [this] { manager_->CBSelectAll(selectedSection(), rt::True16); });
    connect(invert, &QPushButton::clicked, this,
            [this] { manager_->CBSelectAll(selectedSection(), rt::False16, rt::True16); });
    connect(expand, &QPushButton::clicked, this, [this] { manager_->ExpandAll(rt::True16); });
    connect(collapse, &QPushButton::clicked, this, [this] { manager_->ExpandAll(rt::False16); });
    connect(query_, &QPushButton::clicked, this, [this] { querySection(); });

    auto* followPointer = new QCheckBox(QStringLiteral("Selection &follows the pointer"));
    auto* tagAsTip = new QCheckBox(QStringLiteral("Show the item's &note as tool tip"));
    tagAsTip->setChecked(true);
    connect(followPointer, &QCheckBox::toggled, this,
            [this](bool on) { manager_->setHitTestOnMouseMove(on ? rt::True16 : rt::False16); });
    connect(tagAsTip, &QCheckBox::toggled, this,
            [this](bool on) { manager_->setTaginToolTip(on ? rt::True16 : rt::False16); });

    auto* pictureBox = new QGroupBox(QStringLiteral("Picture set"));
    auto* pictureLayout = new QHBoxLayout(pictureBox);
    pictureLayout->addWidget(pictureLabel);
    pictureLayout->addWidget(pictureSets_, 1);

    auto* sectionBox = new QGroupBox(QStringLiteral("Selected section"));
    auto* sectionLayout = new QGridLayout(sectionBox);
    sectionLayout->addWidget(selectAll, 0, 0);
    sectionLayout->addWidget(invert, 0, 1);
    sectionLayout->addWidget(query_, 1, 0, 1, 2);

    auto* treeBox = new QGroupBox(QStringLiteral("Whole tree"));
    auto* treeLayout = new QVBoxLayout(treeBox);
    auto* expandRow = new QHBoxLayout;
    expandRow->addWidget(expand);
    expandRow->addWidget(collapse);
    treeLayout->addLayout(expandRow);
    treeLayout->addWidget(followPointer);
    treeLayout->addWidget(tagAsTip);

    result_ = new QLabel(QStringLiteral("Select a section and press Query section."));
    result_->setWordWrap(true);
    result_->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    result_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* resultBox = new QGroupBox(QStringLiteral("Query result"));
    auto* resultLayout = new QVBoxLayout(resultBox);
    resultLayout->addWidget(result_);

    auto* side = new QVBoxLayout;
    side->addWidget(pictureBox);
    side->addWidget(sectionBox);
    side->addWidget(treeBox);
    side->addWidget(resultBox, 1);

    auto* top = new QHBoxLayout;
    top->addWidget(tree_, 3);
    top->addLayout(side, 2);

    reports_ = new QListWidget;
    reports_->setFixedHeight(92);
    auto* reportBox = new QGroupBox(QStringLiteral("Reports of the error channel"));
    auto* reportLayout = new QVBoxLayout(reportBox);
    reportLayout->addWidget(reports_);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    connect(buttons, &QDialogButtonBox::rejected, this, &QWidget::close);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading);
    layout->addLayout(top, 1);
    layout->addWidget(reportBox);
    layout->addWidget(buttons);
    resize(860, 720);

    // Tab goes from the tree through the controls beside it, in reading
    // order, then to the reports and the Close button; the tree has the
    // focus first.
    QWidget* order[] = {tree_, pictureSets_, selectAll, invert, query_, expand, collapse, followPointer, tagAsTip,
                        reports_, buttons};
    for (size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);
    tree_->setFocus();
}

void SettingsWindow::addSettings(const std::vector<int32_t>& styles, const std::vector<bool>& open) {
    size_t item = 0;
    size_t section = 0;
    for (const auto& s : demo_settings::sections()) {
        const bool opened = section < open.size() ? open[section] : true;
        manager_->AddNode({.sKey = s.key, .sText = s.text, .enumTVSNodeStyle = TVSNodeStyle_Default,
                           .bExpanded = opened ? rt::True16 : rt::False16, .sTag = s.tag});
        for (const auto& i : s.items) {
            const int32_t style = item < styles.size() ? styles[item] : i.style;
            manager_->AddNode({.sRelative = s.key, .sRelationship = tree::tvwChild, .sKey = i.key, .sText = i.text,
                               .enumTVSNodeStyle = style, .sTag = i.tag});
            ++item;
        }
        ++section;
    }
}

void SettingsWindow::usePictureSet(int set) {
    std::vector<int32_t> styles;
    std::vector<bool> open;
    for (const auto& s : demo_settings::sections()) {
        open.push_back(treeView_->Nodes()->Item(rt::Variant(s.key))->Expanded() != 0);
        for (const auto& i : s.items) styles.push_back(manager_->GetTVSNodeStyle(s.key, i.key));
    }
    // The keyboard's place in the tree stays where it was.
    const auto current = treeView_->nodeOf(tree_->currentIndex());
    const std::string currentKey = current ? current->Key() : std::string();
    manager_->Refresh();  // empties the tree and drops the pictures
    manager_->setTreeViewObject(treeView_);
    manager_->setImageStyles(set);
    addSettings(styles, open);
    if (!currentKey.empty()) tree_->setCurrentIndex(treeView_->indexOf(treeView_->Nodes()->Item(rt::Variant(currentKey))));
}

std::string SettingsWindow::selectedSection() const {
    auto node = treeView_->nodeOf(tree_->currentIndex());
    if (!node) return {};
    auto parent = node->Parent();
    return parent ? parent->Key() : node->Key();
}

void SettingsWindow::querySection() {
    const std::string section = selectedSection();
    // The manager adds to its text and key collections at every query.
    manager_->setQueryNodeTextCollection(nullptr);
    manager_->setQueryNodeKeysCollection(nullptr);
    if (section.empty()) {
        manager_->QueryNodeCollection(section);  // the manager says why it finds nothing
        result_->setText(QStringLiteral("No section is selected: see the reports below."));
        return;
    }
    auto checkBoxes = manager_->QueryNodeCollection(section, TVSNodeType_CB);
    const QString items = joined(manager_->QueryNodeTextCollection());
    auto options = manager_->QueryNodeCollection(section, TVSNodeType_OB);
    manager_->setQueryNodeTextCollection(nullptr);
    manager_->setQueryNodeKeysCollection(nullptr);
    const std::string title = treeView_->Nodes()->Item(rt::Variant(section))->Text();
    result_->setText(QStringLiteral("<b>%1</b> (%2)<br>check box states: %3<br>option button states: %4<br>items: %5")
                         .arg(QString::fromStdString(title).toHtmlEscaped(), QString::fromStdString(section),
                              joined(checkBoxes), joined(options), items.toHtmlEscaped()));
}

void SettingsWindow::addReport(const std::string& line) {
    reports_->addItem(QString::fromStdString(line));
    reports_->scrollToBottom();
}

}  // namespace qt_demo
