#pragma once

class QImage;

namespace zel {

/// Maps all memory pages of a picture about to be written in one system call, which costs
/// far less than taking them one page fault at a time (a window's backing picture is fresh
/// memory at its first paint). Where the system cannot, the pages come as they are touched.
void prefaultPicture(QImage& image);

} // namespace zel
