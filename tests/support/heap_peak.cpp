#include "support/heap_peak.h"

#include <malloc.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace tessel::test {
namespace {

std::atomic<std::size_t> held{0};
std::atomic<std::size_t> peak{0};

void* Take(std::size_t size) {
    void* block = std::malloc(size == 0 ? 1 : size);
    if (block == nullptr)
        return nullptr;
    const std::size_t now = held.fetch_add(malloc_usable_size(block)) + malloc_usable_size(block);
    std::size_t seen = peak.load();
    while (now > seen && !peak.compare_exchange_weak(seen, now)) {
    }
    return block;
}

void Give(void* block) {
    if (block == nullptr)
        return;
    held.fetch_sub(malloc_usable_size(block));
    std::free(block);
}

void* TakeOrThrow(std::size_t size) {
    if (void* block = Take(size))
        return block;
    throw std::bad_alloc();
}

}  // namespace

HeapPeak::HeapPeak() : start_(held.load()) {
    peak.store(start_);
}

std::size_t HeapPeak::Growth() const {
    const std::size_t most = peak.load();
    return most > start_ ? most - start_ : 0;
}

}  // namespace tessel::test

// Every form of new and delete that is not over-aligned goes through the count; the aligned
// forms keep the library's own pairing.
void* operator new(std::size_t size) {
    return tessel::test::TakeOrThrow(size);
}
void* operator new[](std::size_t size) {
    return tessel::test::TakeOrThrow(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return tessel::test::Take(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return tessel::test::Take(size);
}
void operator delete(void* block) noexcept {
    tessel::test::Give(block);
}
void operator delete[](void* block) noexcept {
    tessel::test::Give(block);
}
void operator delete(void* block, std::size_t) noexcept {
    tessel::test::Give(block);
}
void operator delete[](void* block, std::size_t) noexcept {
    tessel::test::Give(block);
}
void operator delete(void* block, const std::nothrow_t&) noexcept {
    tessel::test::Give(block);
}
void operator delete[](void* block, const std::nothrow_t&) noexcept {
    tessel::test::Give(block);
}
