// The most heap that C++ allocations held at once, for tests that bound what a piece of code
// keeps. The test program's operator new and delete count every allocation; memory that C
// libraries take with malloc (SQLite's own) is not counted.
#pragma once

#include <cstddef>

namespace tessel::test {

class HeapPeak {
  public:
    // Starts measuring from the heap held now.
    HeapPeak();
    // The most held at once since the start, beyond what was held then.
    std::size_t Growth() const;

  private:
    std::size_t start_;
};

}  // namespace tessel::test
