#pragma once
// Per-thread data of the runtime and of the libraries built on it (Err, App,
// the hidden form, the buddy slot) lives in one store per thread. The store
// is dropped by releaseThreadData(): at the end of the thread by default, or,
// in a module that learns of thread ends itself (a DLL's thread detach), by
// that module. The data never sits in a thread_local with a destructor; by
// default one small guard without data of its own runs at thread end, and a
// module that releases the data itself arms not even that, so ending a thread
// never depends on the module staying loaded for thread-exit destructors.

#include <memory>
#include <utility>
#include <vector>

namespace rt {

class ThreadStore {
public:
    // The value kept under `key` for this thread, made on first use.
    template <class T>
    T& get(const void* key) {
        for (auto& [k, value] : items_)
            if (k == key) return *static_cast<T*>(value.get());
        auto made = std::make_shared<T>();
        T& out = *made;
        items_.emplace_back(key, std::move(made));
        return out;
    }

    ~ThreadStore() {
        // Last made, first dropped: later values may refer to earlier ones.
        while (!items_.empty()) {
            auto last = std::move(items_.back().second);
            items_.pop_back();
            last.reset();
        }
    }

private:
    std::vector<std::pair<const void*, std::shared_ptr<void>>> items_;
};

// The calling thread's store, made on first use.
ThreadStore& threadStore();

// Drops the calling thread's store and everything in it. Safe to call again
// and from a thread that has none; a store made while dropping (a destructor
// that asks for Err) is dropped too.
void releaseThreadData();

// Where a module keeps the current thread's store pointer when it releases
// thread data itself (see releaseThreadData): after this, nothing is
// registered to run at thread end.
struct ThreadStoreSlot {
    ThreadStore* (*get)();
    void (*set)(ThreadStore*);
};
void useThreadStoreSlot(ThreadStoreSlot slot);

// Per-thread value of type T; `key` is the address of a static unique to the
// caller.
template <class T>
T& perThread(const void* key) {
    return threadStore().get<T>(key);
}

}  // namespace rt
