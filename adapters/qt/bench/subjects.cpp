#include "adapters/qt/bench/subjects.h"

#include <QApplication>
#include <QEvent>
#include <QStandardItemModel>
#include <QTest>
#include <QTreeView>
#include <cstdio>
#include <utility>

#include "adapters/qt/bench/hand_model.h"
#include "adapters/qt/qt_icons.h"
#include "adapters/qt/qt_model_tree_view.h"
#include "manager/pictures.h"
#include "runtime/collection.h"

namespace qt_bench {
namespace {

using Sarn10B::TVSNodeStyle_CheckBoxoff;
using Sarn10B::TVSNodeStyle_OptionButtonOff;
using Sarn10B::TVSNodeStyle_OptionButtonOn;

QIcon stateIcon(const char* key) { return qt_tree::iconOf(*Sarn10B::pictures::statePicture(0, key)); }

// A QTreeView set up as a Qt programmer sets up a settings tree.
void prepareView(QTreeView& view) {
    view.setHeaderHidden(true);
    view.setUniformRowHeights(true);
    view.setIconSize(QSize(qt_tree::IconSize, qt_tree::IconSize));
}

class ManagerSubject final : public Subject {
public:
    explicit ManagerSubject(Way way) : tree_(way) {}

    QWidget* widget() const override {
        if (auto* model = dynamic_cast<qt_tree::QtModelTreeView*>(tree_.tv.get())) return model->widget();
        if (auto* items = dynamic_cast<qt_tree::QtTreeView*>(tree_.tv.get())) return items->widget();
        return nullptr;
    }
    void add(const std::vector<std::string>& keys, bool options) override {
        tree_.addItems(keys, options ? TVSNodeStyle_OptionButtonOff : TVSNodeStyle_CheckBoxoff);
    }
    void reset() override {
        // Refresh empties the tree and drops the pictures, so that the
        // section can be added again without a duplicate picture key.
        tree_.manager->Refresh();
        tree_.manager->setTreeViewObject(tree_.tv);
        tree_.addSection();
    }
    void setAll(bool on) override { tree_.manager->CBSelectAll(Section, on ? rt::True16 : rt::False16, rt::False16); }
    void invert() override { tree_.manager->CBSelectAll(Section, rt::False16, rt::True16); }
    void selectOption(const std::string& key, size_t) override {
        tree_.manager->OBSetStyle(Section, key, TVSNodeStyle_OptionButtonOn);
    }
    int64_t read() override {
        states_ = tree_.manager->QueryNodeCollection(Section);
        return states_->Count();
    }
    void dropRead() override {
        states_ = nullptr;
        tree_.manager->setQueryNodeTextCollection(nullptr);
        tree_.manager->setQueryNodeKeysCollection(nullptr);
    }
    void expandAll(bool open) override { tree_.manager->ExpandAll(open ? rt::True16 : rt::False16); }

private:
    ManagedTree tree_;
    rt::Ref<rt::Collection> states_;
};

// What a direct subject collects when it reads: as Qt's lists, or, for the
// hand-written model with UTF-8 texts, as the bytes it keeps.
template <class States, class Texts>
struct ReadBackOf {
    States states;
    Texts texts;
    Texts keys;

    void reserve(size_t size) {
        const auto n = static_cast<typename Texts::size_type>(size);
        states.reserve(n);
        texts.reserve(n);
        keys.reserve(n);
    }
    void clear() {
        states = {};
        texts = {};
        keys = {};
    }
};
using ReadBack = ReadBackOf<QList<bool>, QStringList>;
using Utf8ReadBack = ReadBackOf<std::vector<bool>, std::vector<std::string>>;

template <class Text>
struct HandModelKind;
template <>
struct HandModelKind<QString> {
    using ReadBack = qt_bench::ReadBack;
    static QString text(const std::string& key) { return QString::fromStdString(key); }
};
template <>
struct HandModelKind<std::string> {
    using ReadBack = Utf8ReadBack;
    static const std::string& text(const std::string& key) { return key; }
};

template <class Text>
class HandModelSubject final : public Subject {
public:
    using Model = HandModel<Text>;

    // With relayout, a change of most rows first asks the widget for a
    // layout of all rows, which then spares it the questions about each
    // changed row.
    HandModelSubject(bool icons, bool relayout)
        : model_(icons, stateIcon("chkon"), stateIcon("chkoff")), relayout_(relayout) {
        prepareView(view_);
        view_.setModel(&model_);
        view_.setExpanded(model_.sectionIndex(), true);
        showWidget(view_);
    }

    QWidget* widget() const override { return const_cast<QTreeView*>(&view_); }
    void add(const std::vector<std::string>& keys, bool) override {
        std::vector<typename Model::Item> items;
        items.reserve(keys.size());
        for (const std::string& key : keys) {
            Text text = HandModelKind<Text>::text(key);
            Text itemKey = text;  // a QString shares the characters
            items.push_back({std::move(text), std::move(itemKey), false});
        }
        model_.append(std::move(items));
    }
    void reset() override { model_.clear(); view_.setExpanded(model_.sectionIndex(), true); }
    void setAll(bool on) override {
        layOutAll();
        model_.setStates([on](size_t, bool) { return on; });
    }
    void invert() override {
        layOutAll();
        model_.setStates([](size_t, bool was) { return !was; });
    }
    void selectOption(const std::string&, size_t row) override {
        model_.setStates([row](size_t r, bool) { return r == row; });
    }
    int64_t read() override {
        const auto& items = model_.items();
        read_.reserve(items.size());
        for (const typename Model::Item& item : items) {
            read_.states.push_back(item.on);
            read_.texts.push_back(item.text);
            read_.keys.push_back(item.key);
        }
        return static_cast<int64_t>(read_.states.size());
    }
    void dropRead() override { read_.clear(); }
    void expandAll(bool open) override {
        if (open)
            view_.expandAll();
        else
            view_.collapseAll();
    }

private:
    void layOutAll() {
        if (relayout_ && model_.items().size() >= 64) view_.expandRecursively(QModelIndex(), 0);
    }

    Model model_;
    bool relayout_;
    QTreeView view_;
    typename HandModelKind<Text>::ReadBack read_;
};

class StandardModelSubject final : public Subject {
public:
    StandardModelSubject() {
        prepareView(view_);
        view_.setModel(&model_);
        showWidget(view_);
        addSection();
    }

    QWidget* widget() const override { return const_cast<QTreeView*>(&view_); }
    void add(const std::vector<std::string>& keys, bool) override {
        QList<QStandardItem*> items;
        items.reserve(static_cast<qsizetype>(keys.size()));
        for (const std::string& key : keys) {
            const QString text = QString::fromStdString(key);
            auto* item = new QStandardItem(text);
            item->setData(text, Qt::UserRole);
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable |
                           Qt::ItemNeverHasChildren);
            item->setCheckState(Qt::Unchecked);
            items.append(item);
        }
        section_->appendRows(items);
    }
    void reset() override {
        model_.clear();
        addSection();
    }
    void setAll(bool on) override {
        const Qt::CheckState mark = on ? Qt::Checked : Qt::Unchecked;
        for (int i = 0, n = section_->rowCount(); i < n; ++i) section_->child(i)->setCheckState(mark);
    }
    void invert() override {
        for (int i = 0, n = section_->rowCount(); i < n; ++i) {
            QStandardItem* item = section_->child(i);
            item->setCheckState(item->checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
        }
    }
    void selectOption(const std::string&, size_t row) override {
        for (int i = 0, n = section_->rowCount(); i < n; ++i)
            section_->child(i)->setCheckState(static_cast<size_t>(i) == row ? Qt::Checked : Qt::Unchecked);
    }
    int64_t read() override {
        const int n = section_->rowCount();
        read_.reserve(n);
        for (int i = 0; i < n; ++i) {
            const QStandardItem* item = section_->child(i);
            read_.states.append(item->checkState() == Qt::Checked);
            read_.texts.append(item->text());
            read_.keys.append(item->data(Qt::UserRole).toString());
        }
        return read_.states.size();
    }
    void dropRead() override { read_.clear(); }
    void expandAll(bool open) override {
        if (open)
            view_.expandAll();
        else
            view_.collapseAll();
    }

private:
    void addSection() {
        section_ = new QStandardItem(QStringLiteral("Section"));
        model_.appendRow(section_);
        view_.setExpanded(section_->index(), true);
    }

    QStandardItemModel model_;
    QTreeView view_;
    QStandardItem* section_ = nullptr;
    ReadBack read_;
};

class TreeWidgetSubject final : public Subject {
public:
    explicit TreeWidgetSubject(Way way) : tree_(way) {}

    QWidget* widget() const override { return tree_.widget.get(); }
    void add(const std::vector<std::string>& keys, bool) override {
        tree_.addItems(keys);
    }
    void ready() override { tree_.learnRows(); }
    void reset() override {
        tree_.widget->clear();
        tree_.addSection();
    }
    void setAll(bool on) override {
        const QIcon& icon = on ? tree_.on : tree_.off;
        const Qt::CheckState mark = on ? Qt::Checked : Qt::Unchecked;
        for (int i = 0, n = tree_.section->childCount(); i < n; ++i) {
            if (tree_.icons)
                tree_.section->child(i)->setIcon(0, icon);
            else
                tree_.section->child(i)->setCheckState(0, mark);
        }
    }
    void invert() override {
        const qint64 offKey = tree_.off.cacheKey();
        for (int i = 0, n = tree_.section->childCount(); i < n; ++i) {
            QTreeWidgetItem* item = tree_.section->child(i);
            if (tree_.icons)
                item->setIcon(0, item->icon(0).cacheKey() == offKey ? tree_.on : tree_.off);
            else
                item->setCheckState(0, item->checkState(0) == Qt::Checked ? Qt::Unchecked : Qt::Checked);
        }
    }
    void selectOption(const std::string&, size_t row) override {
        for (int i = 0, n = tree_.section->childCount(); i < n; ++i) {
            const bool on = static_cast<size_t>(i) == row;
            if (tree_.icons)
                tree_.section->child(i)->setIcon(0, on ? tree_.on : tree_.off);
            else
                tree_.section->child(i)->setCheckState(0, on ? Qt::Checked : Qt::Unchecked);
        }
    }
    int64_t read() override {
        const int n = tree_.section->childCount();
        read_.reserve(n);
        const qint64 onKey = tree_.on.cacheKey();
        for (int i = 0; i < n; ++i) {
            const QTreeWidgetItem* item = tree_.section->child(i);
            read_.states.append(tree_.icons ? item->icon(0).cacheKey() == onKey : item->checkState(0) == Qt::Checked);
            read_.texts.append(item->text(0));
            read_.keys.append(item->data(0, Qt::UserRole).toString());
        }
        return read_.states.size();
    }
    void dropRead() override { read_.clear(); }
    void expandAll(bool open) override {
        if (open)
            tree_.widget->expandAll();
        else
            tree_.widget->collapseAll();
    }

private:
    DirectTree tree_;
    ReadBack read_;
};

// Counts what the event loop does for one widget: paints of its viewport
// (or of itself), layout requests, update requests and its timers.
class Watch final : public QObject {
public:
    explicit Watch(QWidget* widget) : widget_(widget) {
        widget_->installEventFilter(this);
        if (auto* view = qobject_cast<QAbstractScrollArea*>(widget_)) {
            viewport_ = view->viewport();
            viewport_->installEventFilter(this);
        }
    }
    ~Watch() override {
        widget_->removeEventFilter(this);
        if (viewport_) viewport_->removeEventFilter(this);
    }
    Watch(const Watch&) = delete;
    Watch& operator=(const Watch&) = delete;

    int paints = 0;
    int work = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        switch (event->type()) {
            case QEvent::Paint:
                ++paints;
                ++work;
                break;
            case QEvent::LayoutRequest:
            case QEvent::UpdateRequest:
            case QEvent::UpdateLater:
            case QEvent::Timer:
                ++work;
                break;
            default:
                break;
        }
        return false;
    }

private:
    QWidget* widget_;
    QWidget* viewport_ = nullptr;
};

}  // namespace

std::unique_ptr<Subject> makeSubject(Way way) {
    switch (way) {
        case Way::ManagerOnQt:
        case Way::ManagerOnQtWidget:
        case Way::ManagerOnMemory:
            return std::make_unique<ManagerSubject>(way);
        case Way::HandModelIcons:
            return std::make_unique<HandModelSubject<QString>>(true, false);
        case Way::HandModelIconsRelayout:
            return std::make_unique<HandModelSubject<QString>>(true, true);
        case Way::HandModelUtf8:
            return std::make_unique<HandModelSubject<std::string>>(true, true);
        case Way::HandModelChecks:
            return std::make_unique<HandModelSubject<QString>>(false, false);
        case Way::StandardModel:
            return std::make_unique<StandardModelSubject>();
        case Way::DirectCheckState:
        case Way::DirectIcon:
            return std::make_unique<TreeWidgetSubject>(way);
    }
    return nullptr;
}

int drain(QWidget* widget) {
    if (!widget) {
        QApplication::processEvents();
        return 0;
    }
    Watch watch(widget);
    // A pass handles what was posted before it; what the pass itself posts
    // (a repaint after a layout, a change told on the next run of the loop)
    // waits for the next one.
    for (int passes = 0; passes < 100; ++passes) {
        const int before = watch.work;
        QApplication::sendPostedEvents();
        QApplication::processEvents();
        if (watch.work == before) break;
    }
    return watch.paints;
}

bool drainCatchesDeferredWork() {
    const auto keys = itemKeys("CB", 1000);
    auto subject = makeSubject(Way::ManagerOnQt);
    QWidget* widget = subject->widget();
    subject->add(keys, false);
    drain(widget);
    // One run of the event loop, as a benchmark that stops there would do,
    // leaves the repaint of a change for later: the model tells the change
    // in a posted event, and the widget repaints on the next run.
    subject->setAll(true);
    QApplication::processEvents();
    const int leftByOneRun = drain(widget);
    subject->setAll(false);
    const int inDrain = drain(widget);
    Watch later(widget);
    QTest::qWait(50);
    std::fprintf(stderr,
                 "drain check: one run of the event loop left %d paint(s) behind; drain() saw %d paint(s), "
                 "and a wait of 50 ms after it %d\n",
                 leftByOneRun, inDrain, later.paints);
    return inDrain > 0 && later.paints == 0;
}

}  // namespace qt_bench
