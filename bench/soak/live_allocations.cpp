#include "live_allocations.h"

#include <malloc.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<std::size_t> liveBytes{0};
std::atomic<std::size_t> liveBlocks{0};

void* Allocate(std::size_t size) {
    void* block = std::malloc(size == 0 ? 1 : size);
    if (block == nullptr) throw std::bad_alloc();
    liveBytes.fetch_add(malloc_usable_size(block), std::memory_order_relaxed);
    liveBlocks.fetch_add(1, std::memory_order_relaxed);
    return block;
}

void* AllocateAligned(std::size_t size, std::align_val_t alignment) {
    void* block = nullptr;
    if (posix_memalign(&block, static_cast<std::size_t>(alignment), size == 0 ? 1 : size) != 0)
        throw std::bad_alloc();
    liveBytes.fetch_add(malloc_usable_size(block), std::memory_order_relaxed);
    liveBlocks.fetch_add(1, std::memory_order_relaxed);
    return block;
}

void Release(void* block) noexcept {
    if (block == nullptr) return;
    liveBytes.fetch_sub(malloc_usable_size(block), std::memory_order_relaxed);
    liveBlocks.fetch_sub(1, std::memory_order_relaxed);
    std::free(block);
}

}  // namespace

namespace gnss::soak {

LiveAllocations CurrentLiveAllocations() {
    return {liveBytes.load(std::memory_order_relaxed), liveBlocks.load(std::memory_order_relaxed)};
}

}  // namespace gnss::soak

void* operator new(std::size_t size) {
    return Allocate(size);
}
void* operator new[](std::size_t size) {
    return Allocate(size);
}
void* operator new(std::size_t size, std::align_val_t alignment) {
    return AllocateAligned(size, alignment);
}
void* operator new[](std::size_t size, std::align_val_t alignment) {
    return AllocateAligned(size, alignment);
}
void operator delete(void* block) noexcept {
    Release(block);
}
void operator delete[](void* block) noexcept {
    Release(block);
}
void operator delete(void* block, std::size_t) noexcept {
    Release(block);
}
void operator delete[](void* block, std::size_t) noexcept {
    Release(block);
}
void operator delete(void* block, std::align_val_t) noexcept {
    Release(block);
}
void operator delete[](void* block, std::align_val_t) noexcept {
    Release(block);
}
void operator delete(void* block, std::size_t, std::align_val_t) noexcept {
    Release(block);
}
void operator delete[](void* block, std::size_t, std::align_val_t) noexcept {
    Release(block);
}
