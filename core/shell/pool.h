// Capped free lists for the small objects the engine makes and drops by the
// thousand (values, records, parameter-value pairs).
//
// A class derives from TPooled<Self>; its storage then comes from, and goes
// back to, a list of at most 16384 released blocks. This is an allocation
// detail only: objects are still owned through std::unique_ptr. Blocks that
// wait in the list are poisoned under AddressSanitizer, so a use after
// release is still caught.
#pragma once

#include <cstddef>
#include <new>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
#define VANDRO_POISON(p, n) ASAN_POISON_MEMORY_REGION(p, n)
#define VANDRO_UNPOISON(p, n) ASAN_UNPOISON_MEMORY_REGION(p, n)
#else
#define VANDRO_POISON(p, n) ((void)(p), (void)(n))
#define VANDRO_UNPOISON(p, n) ((void)(p), (void)(n))
#endif

namespace vandro {

template <typename T> class TPooled {
public:
  static constexpr size_t kPoolCapacity = 16384;

  static size_t PoolSize() { return Blocks().size(); }

  static void* operator new(size_t size) {
    auto& blocks = Blocks();
    if (size == sizeof(T) && !blocks.empty()) {
      void* block = blocks.back();
      blocks.pop_back();
      VANDRO_UNPOISON(block, sizeof(T));
      return block;
    }
    return ::operator new(size);
  }

  static void operator delete(void* block, size_t size) {
    auto& blocks = Blocks();
    if (size == sizeof(T) && blocks.size() < kPoolCapacity) {
      VANDRO_POISON(block, sizeof(T));
      blocks.push_back(block);
      return;
    }
    ::operator delete(block);
  }

private:
  // Never destroyed: objects with static storage may be released after the
  // list would have been.
  static std::vector<void*>& Blocks() {
    static std::vector<void*>* blocks = [] {
      auto* list = new std::vector<void*>();
      list->reserve(kPoolCapacity);
      return list;
    }();
    return *blocks;
  }
};

} // namespace vandro
