#pragma once
// The runtime's modal message box. Hosts with a window put their own dialog
// in its place; the default writes the message to standard output and answers
// OK, as suits a program without a window.

#include <cstdint>
#include <functional>
#include <string>

namespace rt {

struct MessageBoxRequest {
    std::string prompt;
    int32_t style = 0;  // buttons + icon, e.g. 64 = information, OK only
    std::string title;
};

inline constexpr int32_t MsgBoxOk = 1;  // the answer of the OK button

using MessageBoxHandler = std::function<int32_t(const MessageBoxRequest&)>;

// Shows the box and waits for the answer.
int32_t MsgBox(const std::string& prompt, int32_t style, const std::string& title);

// Replaces the box for the whole process; an empty handler restores the
// default. Returns the handler that was in place.
MessageBoxHandler setMessageBoxHandler(MessageBoxHandler handler);

}  // namespace rt
