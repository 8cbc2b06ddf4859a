#include "windows/platform/message_box.h"

#include <windows.h>

#include "runtime/msgbox.h"
#include "windows/platform/com_text.h"

namespace win {

void usePlatformMessageBox() {
    rt::setMessageBoxHandler([](const rt::MessageBoxRequest& r) -> int32_t {
        const std::wstring prompt = wide(r.prompt), title = wide(r.title);
        // The style's buttons, icon and default button are the platform's own numbers.
        const int answer = MessageBoxW(nullptr, prompt.c_str(), title.c_str(),
                                       static_cast<UINT>(r.style) | MB_SETFOREGROUND);
        // A box that could not be shown (no desktop) answers as its OK button.
        return answer > 0 ? answer : rt::MsgBoxOk;
    });
}

}  // namespace win
