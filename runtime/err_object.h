#pragma once
// Err: the per-thread object that describes the failure being handled.

#include <string>

#include "runtime/dispatch.h"
#include "runtime/error.h"

namespace rt {

class ErrObject : public Object {
public:
    int32_t Number = 0;
    std::string Source;
    std::string Description;

    // Takes over number, source and description of a failure.
    void set(const Error& e);
    void Clear();
    [[noreturn]] void Raise(int32_t number, const std::string& source, const std::string& description);

    const ClassInfo& classInfo() const override;
};

// The calling thread's Err object.
Ref<ErrObject> Err();

}  // namespace rt
