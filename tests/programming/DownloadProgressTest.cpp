// The count a download gives of its blocks as it writes them (the Apply element's fill),
// and what it tells its owner it came to.
#include "dryrun/DryRunSession.h"

#include "TestSupport.h"

#include <gtest/gtest.h>
#include <optional>
#include <utility>
#include <variant>
#include <vector>

namespace zel {
namespace {

using dryrun::DryRunSession;

TEST(DownloadProgress, CountsEveryBlockUpToATotalKnownFromTheStart) {
    test::TempAppDir app;
    RecordingSleeper sleeper;
    std::vector<std::pair<int, int>> seen;
    DryRunSession::Options options{app.appDir(), DeviceLink::kProduct1040, &sleeper, [](Tip) {}};
    options.hooks.progress = [&seen](int written, int total) { seen.emplace_back(written, total); };
    DryRunSession session(options);
    ASSERT_TRUE(session.connected());
    std::optional<DownloadChanges> ended;
    session.core().downloadEnded = [&ended](const DownloadChanges& c) { ended = c; };

    int blocks = 0;
    ASSERT_EQ(session.download([&blocks](const ImageOp& op) {
        blocks += std::holds_alternative<BlockWrite>(op) ? 1 : 0;
    }),
              DownloadResult::Completed);
    ASSERT_EQ(static_cast<int>(seen.size()), blocks);
    // The shipped settings put macros on buttons: more than the configuration's 15 blocks.
    ASSERT_GT(blocks, 15);
    for (std::size_t i = 0; i < seen.size(); ++i) {
        EXPECT_EQ(seen[i].first, static_cast<int>(i) + 1);
        EXPECT_EQ(seen[i].second, blocks) << "the total is known before the first block";
    }
    ASSERT_TRUE(ended.has_value());
    EXPECT_EQ(ended->failedWrites, 0);
    EXPECT_FALSE(ended->aborted);

    // A mouse that is gone takes none of the blocks, and the owner hears so.
    session.mouse().unplug();
    seen.clear();
    ended.reset();
    session.download();
    ASSERT_TRUE(ended.has_value());
    EXPECT_EQ(ended->failedWrites, blocks);
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.back(), std::make_pair(blocks, blocks));
}

} // namespace
} // namespace zel
