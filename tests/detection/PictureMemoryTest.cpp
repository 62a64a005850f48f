// Detection's working memory: blocks on either side of the size that is mapped on
// its own hold their contents apart, and blocks freed inside a scope are reused
// without being handed out twice.
#include "workbench/detection/PictureMemory.h"
#include "workbench/detection/HairDetector.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <thread>

namespace {

TEST(PictureMemory, BlocksOfEverySizeHoldTheirContentsAndAreReused)
{
    const detection::PictureMemoryScope scope(size_t(64) << 20);
    const size_t mib = size_t(1) << 20;
    const std::vector<size_t> sizes { 1, 4 * mib - 1, 4 * mib, 4 * mib + 1, 4 * mib, 9 * mib + 123 };
    // The second round takes the blocks the first one freed.
    for (int round = 0; round < 2; ++round) {
        std::vector<unsigned char*> blocks;
        for (size_t i = 0; i < sizes.size(); ++i) {
            blocks.push_back(static_cast<unsigned char*>(detection::AllocatePictureMemory(sizes[i])));
            std::memset(blocks.back(), int(10 * round + i + 1), sizes[i]);
        }
        for (size_t i = 0; i < sizes.size(); ++i) {
            const unsigned char expected = static_cast<unsigned char>(10 * round + i + 1);
            EXPECT_TRUE(std::all_of(blocks[i], blocks[i] + sizes[i], [&](unsigned char c) { return c == expected; }))
                << "block " << i << " of round " << round;
        }
        for (size_t i = 0; i < sizes.size(); ++i)
            detection::FreePictureMemory(blocks[i], sizes[i]);
    }
    // A vector growing through the mapped size keeps its elements.
    detection::PictureVector<int> values;
    for (int i = 0; i < 3'000'000; ++i)
        values.push_back(i);
    EXPECT_EQ(values[1'234'567], 1'234'567);
    EXPECT_EQ(values.back(), 2'999'999);
}

TEST(PictureMemory, BigPictureGivesTheSameHairsAgainAndTwoAtOnce)
{
    // Big enough for maps of several megabytes each, the ones reused within a detection.
    QImage image(1400, 1100, QImage::Format_RGB32);
    image.fill(QColor(222, 176, 156));
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(QColor(62, 40, 30), 12, Qt::SolidLine, Qt::FlatCap));
        painter.drawLine(QPointF(100, 200), QPointF(1200, 300));
        painter.drawLine(QPointF(300, 900), QPointF(900, 150));
    }
    detection::Options options;
    options.pixelsPerMm = 200.0;
    const detection::Result first = detection::DetectHairs(image, options);
    ASSERT_EQ(first.hairs.size(), 2u);
    // Again, and twice at once (the window's worker and another caller): the
    // blocks one detection frees and keeps must never reach the other's maps.
    const detection::Result again = detection::DetectHairs(image, options);
    detection::Result inThread;
    std::thread other([&] { inThread = detection::DetectHairs(image, options); });
    const detection::Result meanwhile = detection::DetectHairs(image, options);
    other.join();
    for (const detection::Result* r : std::vector<const detection::Result*> { &again, &inThread, &meanwhile }) {
        ASSERT_EQ(r->hairs.size(), first.hairs.size());
        for (size_t i = 0; i < first.hairs.size(); ++i) {
            EXPECT_EQ(r->hairs[i].path, first.hairs[i].path);
            EXPECT_EQ(r->hairs[i].thicknessPx, first.hairs[i].thicknessPx);
        }
    }
}

} // namespace
