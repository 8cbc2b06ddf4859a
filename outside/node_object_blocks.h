#pragma once
// Room for the node objects of one store, taken in order from blocks that
// the store allocates, so that making a node's object costs no allocation of
// its own. An object may outlive the store and go on any thread: each block
// counts the objects that it still holds (and the store's hold while it
// takes from it) and goes with the last of them. Room is never reused before
// its block goes; nodes leave a store nearly all at once anyway.

#include <atomic>
#include <cstddef>
#include <cstdint>

namespace tree {

class NodeObjectBlocks {
public:
    // Room for objects of objectSize bytes aligned to objectAlign (at most
    // 16).
    NodeObjectBlocks(size_t objectSize, size_t objectAlign) noexcept;
    ~NodeObjectBlocks();
    NodeObjectBlocks(const NodeObjectBlocks&) = delete;
    NodeObjectBlocks& operator=(const NodeObjectBlocks&) = delete;

    // Room for one object; std::bad_alloc when there is none.
    void* take() {
        if (left_ == 0) [[unlikely]]
            startBlock();
        --left_;
        void* room = next_;
        next_ += slot_;
        unpoison(room);
        return room;
    }
    // Gives back the room of an object that take handed out, on any thread.
    static void giveBack(void* room, size_t objectSize) noexcept;

    // A block is never larger than this, and starts at a multiple of it, so
    // that the block of any room is found from its address.
    static constexpr size_t MaxBlock = 4096;

private:
    struct Block {
        std::atomic<int32_t> holds;
        uint32_t bytes;
    };
    static constexpr size_t Header = 16;
    static_assert(sizeof(Block) <= Header);

    void startBlock();
    // Lets go of `count` holds on a block; the last one frees it.
    static void release(Block* block, int32_t count) noexcept;
    void unpoison(void* room) const noexcept;

    size_t slot_;
    Block* block_ = nullptr;
    char* next_ = nullptr;
    int32_t left_ = 0;     // rooms of the current block not taken yet
    size_t nextBytes_ = 512;  // blocks grow from small, for small trees
};

}  // namespace tree
