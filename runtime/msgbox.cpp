#include "runtime/msgbox.h"

#include <iostream>
#include <mutex>

namespace rt {
namespace {

int32_t printToConsole(const MessageBoxRequest& r) {
    std::cout << "[" << r.title << "] " << r.prompt << std::endl;
    return MsgBoxOk;
}

std::mutex& handlerLock() {
    static std::mutex m;
    return m;
}

MessageBoxHandler& currentHandler() {
    static MessageBoxHandler h = printToConsole;
    return h;
}

}  // namespace

int32_t MsgBox(const std::string& prompt, int32_t style, const std::string& title) {
    MessageBoxHandler h;
    {
        std::lock_guard g(handlerLock());
        h = currentHandler();
    }
    return h(MessageBoxRequest{prompt, style, title});
}

MessageBoxHandler setMessageBoxHandler(MessageBoxHandler handler) {
    std::lock_guard g(handlerLock());
    MessageBoxHandler old = std::move(currentHandler());
    currentHandler() = handler ? std::move(handler) : MessageBoxHandler(printToConsole);
    return old;
}

}  // namespace rt
