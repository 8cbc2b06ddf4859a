#pragma once
// Reference-counted objects and the references that hold them.
//
// An Object starts with no reference; Ref<T> adds one on copy, moves it on
// move and releases it when it goes. An empty Ref is "nothing". Two refs name
// the same object when they hold the same address (identity).

#include <atomic>
#include <cstdint>
#include <type_traits>
#include <string_view>
#include <utility>
#include <vector>

namespace rt {

struct ClassInfo;
class Variant;
enum class CallKind : uint8_t;
using Args = std::vector<Variant>;

class Object {
public:
    Object() = default;
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;

    void addRef() const noexcept { refs_.fetch_add(1, std::memory_order_relaxed); }
    void release() const noexcept {
        if (refs_.fetch_sub(1, std::memory_order_acq_rel) == 1) delete this;
    }
    int32_t refCount() const noexcept { return refs_.load(std::memory_order_relaxed); }

    // The members this object offers to calls by name; none by default.
    virtual const ClassInfo& classInfo() const;
    // Performs a call by name. Objects that stand for an object of another
    // object system (a platform automation object) answer it themselves; all
    // others are served from classInfo().
    virtual Variant callMember(std::string_view name, CallKind kind, Args& args);

    // Counts this object among a component server's live objects until it
    // goes (the server may be unloaded only when none is left).
    void countIn(std::atomic<int32_t>* liveObjects) noexcept {
        if (liveObjects) liveObjects->fetch_add(1);
        liveObjects_ = liveObjects;
    }

protected:
    virtual ~Object() {
        if (liveObjects_) liveObjects_->fetch_sub(1);
    }

private:
    mutable std::atomic<int32_t> refs_{0};
    std::atomic<int32_t>* liveObjects_ = nullptr;
};

template <class T>
class Ref {
public:
    Ref() noexcept = default;
    Ref(std::nullptr_t) noexcept {}
    explicit Ref(T* p) noexcept : p_(p) {
        if (p_) p_->addRef();
    }
    Ref(const Ref& o) noexcept : Ref(o.p_) {}
    Ref(Ref&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
    template <class U, class = std::enable_if_t<std::is_convertible_v<U*, T*>>>
    Ref(const Ref<U>& o) noexcept : Ref(static_cast<T*>(o.get())) {}
    template <class U, class = std::enable_if_t<std::is_convertible_v<U*, T*>>>
    Ref(Ref<U>&& o) noexcept : p_(o.detach()) {}
    ~Ref() {
        if (p_) p_->release();
    }

    Ref& operator=(Ref o) noexcept {
        std::swap(p_, o.p_);
        return *this;
    }

    T* get() const noexcept { return p_; }
    T* operator->() const noexcept { return p_; }
    T& operator*() const noexcept { return *p_; }
    explicit operator bool() const noexcept { return p_ != nullptr; }
    bool isNothing() const noexcept { return p_ == nullptr; }

    // Hands the reference over to the caller without releasing it.
    T* detach() noexcept { return std::exchange(p_, nullptr); }
    // Takes over a reference that the caller already holds.
    static Ref attach(T* p) noexcept {
        Ref r;
        r.p_ = p;
        return r;
    }

    // A reference to the same object seen as U, or nothing when it is no U.
    template <class U>
    Ref<U> as() const noexcept {
        return Ref<U>(dynamic_cast<U*>(p_));
    }

private:
    T* p_ = nullptr;
};

template <class T, class U>
bool operator==(const Ref<T>& a, const Ref<U>& b) noexcept {
    return static_cast<const void*>(dynamic_cast<const Object*>(a.get())) ==
           static_cast<const void*>(dynamic_cast<const Object*>(b.get()));
}
template <class T>
bool operator==(const Ref<T>& a, std::nullptr_t) noexcept {
    return a.get() == nullptr;
}

// Identity of two references: both nothing, or the very same object.
template <class T, class U>
bool sameObject(const Ref<T>& a, const Ref<U>& b) noexcept {
    return a == b;
}

template <class T, class... A>
Ref<T> make(A&&... args) {
    return Ref<T>(new T(std::forward<A>(args)...));
}

using ObjectRef = Ref<Object>;

}  // namespace rt
