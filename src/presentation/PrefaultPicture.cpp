#include "presentation/PrefaultPicture.h"

#include <QImage>

#include <cstdint>
#include <sys/mman.h>

namespace zel {

void prefaultPicture(QImage& image) {
#ifdef MADV_POPULATE_WRITE
    constexpr std::uintptr_t kPageSize = 4096;
    const auto first = reinterpret_cast<std::uintptr_t>(image.bits());
    const auto begin = first & ~(kPageSize - 1);
    const auto end = first + static_cast<std::uintptr_t>(image.sizeInBytes());
    static_cast<void>(::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_POPULATE_WRITE));
#else
    static_cast<void>(image);
#endif
}

} // namespace zel
