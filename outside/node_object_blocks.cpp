#include "outside/node_object_blocks.h"

#include <algorithm>
#include <new>

#if defined(__has_include)
#if __has_include(<sanitizer/asan_interface.h>)
#include <sanitizer/asan_interface.h>
#endif
#endif
#ifndef ASAN_POISON_MEMORY_REGION
#define ASAN_POISON_MEMORY_REGION(addr, size) ((void)(addr), (void)(size))
#define ASAN_UNPOISON_MEMORY_REGION(addr, size) ((void)(addr), (void)(size))
#endif

namespace tree {
namespace {

size_t slotFor(size_t objectSize, size_t objectAlign) noexcept {
    return (objectSize + objectAlign - 1) / objectAlign * objectAlign;
}

}  // namespace

NodeObjectBlocks::NodeObjectBlocks(size_t objectSize, size_t objectAlign) noexcept
    : slot_(slotFor(objectSize, objectAlign)) {}

NodeObjectBlocks::~NodeObjectBlocks() {
    if (block_) release(block_, left_ + 1);
}

void NodeObjectBlocks::startBlock() {
    const size_t bytes = nextBytes_;
    void* memory = ::operator new(bytes, std::align_val_t{MaxBlock});
    auto* block = new (memory) Block{{0}, static_cast<uint32_t>(bytes)};
    const auto rooms = static_cast<int32_t>((bytes - Header) / slot_);
    // Every room counts as held until it is given back, and the store holds
    // the block while it takes from it: taking needs no count of its own.
    block->holds.store(rooms + 1, std::memory_order_relaxed);
    char* first = static_cast<char*>(memory) + Header;
    ASAN_POISON_MEMORY_REGION(first, bytes - Header);
    if (block_) release(block_, left_ + 1);
    block_ = block;
    next_ = first;
    left_ = rooms;
    nextBytes_ = std::min(MaxBlock, 2 * bytes);
}

void NodeObjectBlocks::unpoison(void* room) const noexcept {
    ASAN_UNPOISON_MEMORY_REGION(room, slot_);
    (void)room;
}

void NodeObjectBlocks::giveBack(void* room, size_t objectSize) noexcept {
    ASAN_POISON_MEMORY_REGION(room, objectSize);
    (void)objectSize;
    const auto address = reinterpret_cast<uintptr_t>(room);
    release(reinterpret_cast<Block*>(address & ~(uintptr_t{MaxBlock} - 1)), 1);
}

void NodeObjectBlocks::release(Block* block, int32_t count) noexcept {
    if (block->holds.fetch_sub(count, std::memory_order_acq_rel) != count) return;
    const size_t bytes = block->bytes;
    ASAN_UNPOISON_MEMORY_REGION(block, bytes);
    block->~Block();
    ::operator delete(static_cast<void*>(block), std::align_val_t{MaxBlock});
}

}  // namespace tree
