#include "runtime/thread_data.h"

#include <map>
#include <mutex>
#include <thread>

namespace rt {
namespace {

thread_local ThreadStore* ownStore = nullptr;

// Every thread's store by thread, for the end of the thread: by the time
// thread-exit destructors run, other thread-local variables may already be
// gone (with emulated thread-local storage they are freed in no set order),
// so the store is found through here, not through ownStore.
std::mutex& ownersLock() {
    static std::mutex m;
    return m;
}
std::map<std::thread::id, ThreadStore*>& owners() {
    static auto* byThread = new std::map<std::thread::id, ThreadStore*>;  // outlives every thread
    return *byThread;
}

ThreadStore* takeOwn() {
    std::lock_guard g(ownersLock());
    auto it = owners().find(std::this_thread::get_id());
    if (it == owners().end()) return nullptr;
    ThreadStore* store = it->second;
    owners().erase(it);
    return store;
}

// Drops the store when a thread of a program that keeps its own slot ends.
// It touches no thread-local variable of its own.
struct ReleaseAtThreadEnd {
    ~ReleaseAtThreadEnd() {
        for (int round = 0; round < 8; ++round) {
            ThreadStore* store = takeOwn();
            if (!store) return;
            ownStore = nullptr;
            delete store;
        }
    }
};

ThreadStore* getOwn() { return ownStore; }
void setOwn(ThreadStore* store) {
    ownStore = store;
    if (!store) {
        takeOwn();
        return;
    }
    {
        std::lock_guard g(ownersLock());
        owners()[std::this_thread::get_id()] = store;
    }
    thread_local ReleaseAtThreadEnd armed;
    (void)armed;
}

ThreadStoreSlot& slot() {
    static ThreadStoreSlot s{getOwn, setOwn};
    return s;
}

}  // namespace

ThreadStore& threadStore() {
    if (ThreadStore* store = slot().get()) return *store;
    auto* store = new ThreadStore;
    slot().set(store);
    return *store;
}

void releaseThreadData() {
    // A destructor may ask for per-thread data again; bounded, since each
    // round only drops what the previous one made.
    for (int round = 0; round < 8; ++round) {
        ThreadStore* store = slot().get();
        if (!store) return;
        slot().set(nullptr);
        delete store;
    }
}

void useThreadStoreSlot(ThreadStoreSlot s) { slot() = s; }

}  // namespace rt
