#pragma once
// The reference count of a platform object: one interface, starting with the
// reference its creator holds, deleted with its last release.

#include <windows.h>

#include <atomic>

namespace win {

template <class Interface>
class ComObject : public Interface {
public:
    ULONG STDMETHODCALLTYPE AddRef() override { return refs_.fetch_add(1) + 1; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = refs_.fetch_sub(1) - 1;
        if (left == 0) delete this;
        return left;
    }

protected:
    virtual ~ComObject() = default;

private:
    std::atomic<ULONG> refs_{1};
};

}  // namespace win
