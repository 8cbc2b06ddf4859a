// The style manager on a desktop window: an editor's settings dialog.
//
// Usage: qt_demo [--screenshot FILE] [--picture-set 0-3]
//
// With --screenshot the demo plays a short session through the widget's own
// key and mouse events (a query with no section selected; Home, Down three
// times and Space, which switches Underline on; four clicks; a query of the
// section clicked last; then the picture set asked for), writes the window to
// FILE as PNG, prints the tree as text, the query's result and the reports of
// the error channel, and ends. Without it the window stays open.
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QTextDocumentFragment>
#include <QTreeView>
#include <iostream>
#include <string>

#include "adapters/qt/demo/settings_window.h"
#include "adapters/qt/qt_message_box.h"
#include "outside/tree_text.h"

namespace {

void settle() {
    for (int round = 0; round < 3; ++round) QApplication::processEvents();
}

// A left click in the middle of a node's row, as the mouse gives it.
void click(qt_demo::SettingsWindow& window, const std::string& key) {
    QTreeView* tree = window.tree();
    const QModelIndex index = window.treeView().indexOf(window.treeView().Nodes()->Item(rt::Variant(key)));
    tree->scrollTo(index);
    const QPointF at = tree->visualRect(index).center();
    const QPointF global = tree->viewport()->mapToGlobal(at);
    QMouseEvent press(QEvent::MouseButtonPress, at, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(tree->viewport(), &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(tree->viewport(), &release);
    settle();
}

// A key pressed and released on the tree, as the keyboard gives it.
void press(qt_demo::SettingsWindow& window, Qt::Key key) {
    const QString text = key == Qt::Key_Space ? QStringLiteral(" ") : QString();
    QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(window.tree(), &down);
    QKeyEvent up(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(window.tree(), &up);
    settle();
}

int playAndSave(qt_demo::SettingsWindow& window, const QString& file, int pictureSet) {
    settle();
    window.tree()->setCurrentIndex(QModelIndex());
    window.queryButton()->click();  // no section is selected: the manager reports
    for (Qt::Key key : {Qt::Key_Home, Qt::Key_Down, Qt::Key_Down, Qt::Key_Down, Qt::Key_Space}) press(window, key);
    for (const char* key : {"CBbold", "OBright", "CBbackup", "OBrich"}) click(window, key);
    window.queryButton()->click();
    window.pictureSets()->setCurrentIndex(pictureSet);
    settle();

    QDir().mkpath(QFileInfo(file).absolutePath());
    const QPixmap shot = window.grab();
    if (!shot.save(file, "PNG")) {
        std::cerr << "cannot write " << file.toStdString() << "\n";
        return 1;
    }
    std::cout << "Screenshot of the window (" << shot.width() << " x " << shot.height() << "): "
              << file.toStdString() << "\n\n-- the tree (key \"text\" [image key]), picture set \""
              << window.pictureSets()->currentText().toStdString() << "\"\n"
              << tree::treeAsText(window.treeView()) << "\n-- query result\n"
              << QTextDocumentFragment::fromHtml(window.result()->text()).toPlainText().toStdString()
              << "\n\n-- reports of the error channel\n";
    for (int i = 0; i < window.reports()->count(); ++i) std::cout << window.reports()->item(i)->text().toStdString() << "\n";
    return 0;
}

// Drawing offscreen, the platform says what it cannot do for a window that no
// one sees; that is no news for the reader of the demo's output.
void quietOffscreen(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (message.startsWith(QLatin1String("This plugin does not support")) ||
        message.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR not set")))
        return;
    std::cerr << qFormatLogMessage(type, context, message).toStdString() << "\n";
}

}  // namespace

int main(int argc, char** argv) {
    if (qgetenv("QT_QPA_PLATFORM") == "offscreen") qInstallMessageHandler(quietOffscreen);
    QApplication app(argc, argv);
    QString screenshot;
    int pictureSet = 0;
    const QStringList args = QApplication::arguments();
    for (qsizetype i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--screenshot") && i + 1 < args.size()) {
            screenshot = args[++i];
        } else if (args[i] == QLatin1String("--picture-set") && i + 1 < args.size()) {
            bool ok = false;
            pictureSet = args[++i].toInt(&ok);
            if (!ok || pictureSet < 0 || pictureSet > 3) {
                std::cerr << "the picture set is a number from 0 to 3\n";
                return 2;
            }
        } else {
            std::cerr << "usage: qt_demo [--screenshot FILE] [--picture-set 0-3]\n";
            return 2;
        }
    }

    qt_demo::SettingsWindow window;
    // F10 shows the manager's message as a modal dialog over the window.
    qt_tree::installQtMessageBox(&window);
    window.show();
    // Without a window manager (a bare X server) nothing else gives the
    // window the keyboard.
    window.activateWindow();
    if (screenshot.isEmpty()) {
        window.pictureSets()->setCurrentIndex(pictureSet);
        return app.exec();
    }
    return playAndSave(window, screenshot, pictureSet);
}
