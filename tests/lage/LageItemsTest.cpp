// The items: whatever the random numbers, exactly one picture matches the
// instruments and no two pictures are alike; the wrong ones are plausible
// misreadings, mostly of one thing.
#include "modules/lage/LageItems.h"

#include <gtest/gtest.h>

#include <array>
#include <deque>
#include <functional>

namespace kestrava::lage {
namespace {

int32_t Differences(const LagePose& a, const LagePose& b)
{
    return (a.Bank != b.Bank) + (a.Pitch != b.Pitch) + (a.Heading != b.Heading);
}

TEST(LageItems, EveryItemHasExactlyOneMatchingPictureAndNoTwoAlike)
{
    uint64_t position = 12345;
    kit::BlockRandom random(position);
    std::array<int32_t, 4> answers{};
    int32_t distractors = 0, oneOff = 0, mirroredBank = 0, swappedEastWest = 0;
    std::array<int32_t, 7> banks{};
    for (int n = 0; n < 20000; ++n) {
        const LageItem item = DrawItem(random);
        ASSERT_TRUE(ValidPose(item.Shown));
        ASSERT_EQ(item.Pictures[item.Answer], item.Shown);
        ++answers[size_t(item.Answer)];
        ++banks[size_t(item.Shown.Bank + 3)];
        for (int32_t i = 0; i < 4; ++i) {
            ASSERT_TRUE(ValidPose(item.Pictures[i]));
            for (int32_t j = 0; j < i; ++j)
                ASSERT_NE(item.Pictures[i], item.Pictures[j]) << "item " << n;
            if (i == item.Answer)
                continue;
            const LagePose& d = item.Pictures[i];
            ++distractors;
            oneOff += Differences(d, item.Shown) == 1;
            mirroredBank += d.Bank != 0 && d.Bank == -item.Shown.Bank && d.Pitch == item.Shown.Pitch;
            swappedEastWest += d.Heading != item.Shown.Heading && (d.Heading + item.Shown.Heading) % 8 == 0;
        }
        ASSERT_EQ(MatchingPictures(item), 1);
        ASSERT_TRUE(ValidItem(item));
    }
    for (int32_t count : answers)
        EXPECT_GT(count, 4500) << "every key is the answer about as often";
    for (int32_t count : banks)
        EXPECT_GT(count, 2400) << "every bank from 45 left to 45 right";
    EXPECT_GT(oneOff, distractors * 6 / 10);
    EXPECT_GT(mirroredBank, distractors / 10);
    EXPECT_GT(swappedEastWest, distractors / 20);
}

// Random numbers that make every wrong reading the same one.
class StuckRandom final : public kit::RandomSource {
public:
    explicit StuckRandom(std::deque<int32_t> first) : m_first(std::move(first)) {}
    int32_t Below(int32_t n) override
    {
        if (!m_first.empty()) {
            const int32_t v = m_first.front();
            m_first.pop_front();
            return v;
        }
        return n == 6 ? 2 : 0;  // the pitch misread, always as nose down
    }

private:
    std::deque<int32_t> m_first;
};

TEST(LageItems, ReadingsThatRepeatStillGiveFourDifferentPictures)
{
    StuckRandom random({3, 1, 0, 0});  // wings level, nose level, north; picture 1
    const LageItem item = DrawItem(random);
    EXPECT_EQ(item.Shown, (LagePose{0, 0, 0}));
    EXPECT_EQ(item.Pictures[1], (LagePose{0, -1, 0}));
    EXPECT_TRUE(ValidItem(item));
}

TEST(LageItems, ValidItemRefusesWhatCannotBeAnsweredOneWay)
{
    LageItem good{};
    good.Shown = {2, 1, 2};
    good.Pictures[0] = {-2, 1, 2};
    good.Pictures[1] = {2, 1, 6};
    good.Pictures[2] = good.Shown;
    good.Pictures[3] = {2, 0, 2};
    good.Answer = 2;
    ASSERT_TRUE(ValidItem(good));
    const std::function<void(LageItem&)> spoil[] = {
        [](LageItem& i) { i.Pictures[3] = i.Shown; },          // two right answers
        [](LageItem& i) { i.Pictures[0] = i.Pictures[1]; },    // two alike
        [](LageItem& i) { i.Answer = 1; },                     // the key leads elsewhere
        [](LageItem& i) { i.Answer = 4; },
        [](LageItem& i) { i.Pictures[1].Heading = 8; },
        [](LageItem& i) { i.Shown.Bank = i.Pictures[2].Bank = 4; },
        [](LageItem& i) { i.Pictures[0].Pitch = -2; },
    };
    for (size_t n = 0; n < std::size(spoil); ++n) {
        LageItem bad = good;
        spoil[n](bad);
        EXPECT_FALSE(ValidItem(bad)) << "spoilt " << n;
    }
}

TEST(LageItems, TheKeysOneToFourOnBothBlocks)
{
    EXPECT_EQ(PictureOfKey('1'), 0);
    EXPECT_EQ(PictureOfKey('4'), 3);
    EXPECT_EQ(PictureOfKey(0x61), 0);  // number pad 1
    EXPECT_EQ(PictureOfKey(0x64), 3);
    for (uint32_t other : {uint32_t('0'), uint32_t('5'), 0x60u, 0x65u, 112u, 32u})
        EXPECT_EQ(PictureOfKey(other), -1) << other;
}

} // namespace
} // namespace kestrava::lage
