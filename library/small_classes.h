#pragma once
// The four small public classes: two that hold one window handle each, and
// two with no members at all.

#include <cstdint>

#include "runtime/dispatch.h"

namespace Sarn10B {

// A window handle, stored without a check.
class HandleHolder : public rt::Object {
public:
    int32_t Handle() const { return handle_; }
    void setHandle(int32_t handle) { handle_ = handle; }

private:
    int32_t handle_ = 0;
};

class clsKwAmbrTreeviewWndClassA : public HandleHolder {
public:
    const rt::ClassInfo& classInfo() const override;
};

class clsKwAmbrListViewWndClassA : public HandleHolder {
public:
    const rt::ClassInfo& classInfo() const override;
};

class clsKwAmbrGeneralA : public rt::Object {
public:
    const rt::ClassInfo& classInfo() const override;
};

class clsKwAmbrAdvancedA : public rt::Object {
public:
    const rt::ClassInfo& classInfo() const override;
};

}  // namespace Sarn10B
