#include "adapters/qt/qt_message_box.h"

#include <QApplication>
#include <QPointer>
#include <vector>

namespace qt_tree {

MessageBoxLook messageBoxLook(int32_t style) {
    MessageBoxLook look;
    std::vector<QMessageBox::StandardButton> order;
    switch (style & 0x7) {
        case 1: order = {QMessageBox::Ok, QMessageBox::Cancel}; break;
        case 2: order = {QMessageBox::Abort, QMessageBox::Retry, QMessageBox::Ignore}; break;
        case 3: order = {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel}; break;
        case 4: order = {QMessageBox::Yes, QMessageBox::No}; break;
        case 5: order = {QMessageBox::Retry, QMessageBox::Cancel}; break;
        default: order = {QMessageBox::Ok}; break;
    }
    look.buttons = {};
    for (auto b : order) look.buttons |= b;
    const size_t wantedDefault = static_cast<size_t>((style >> 8) & 0x3);
    look.defaultButton = order[wantedDefault < order.size() ? wantedDefault : 0];
    switch (style & 0x70) {
        case 16: look.icon = QMessageBox::Critical; break;
        case 32: look.icon = QMessageBox::Question; break;
        case 48: look.icon = QMessageBox::Warning; break;
        case 64: look.icon = QMessageBox::Information; break;
        default: look.icon = QMessageBox::NoIcon; break;
    }
    return look;
}

int32_t answerOf(QMessageBox::StandardButton button) {
    switch (button) {
        case QMessageBox::Ok: return 1;
        case QMessageBox::Cancel: return 2;
        case QMessageBox::Abort: return 3;
        case QMessageBox::Retry: return 4;
        case QMessageBox::Ignore: return 5;
        case QMessageBox::Yes: return 6;
        case QMessageBox::No: return 7;
        default: return 2;  // closed without a button: as Cancel
    }
}

rt::MessageBoxHandler installQtMessageBox(QWidget* parent) {
    QPointer<QWidget> owner(parent);
    return rt::setMessageBoxHandler([owner](const rt::MessageBoxRequest& request) {
        const MessageBoxLook look = messageBoxLook(request.style);
        QWidget* over = owner ? owner.data() : QApplication::activeWindow();
        QMessageBox box(look.icon, QString::fromStdString(request.title), QString::fromStdString(request.prompt),
                        look.buttons, over);
        box.setDefaultButton(look.defaultButton);
        box.exec();
        return answerOf(box.standardButton(box.clickedButton()));
    });
}

}  // namespace qt_tree
