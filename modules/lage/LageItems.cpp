#include "modules/lage/LageItems.h"

namespace kestrava::lage {

namespace {

// A value from lo to hi other than value.
int32_t OtherThan(int32_t value, int32_t lo, int32_t hi, kit::RandomSource& random)
{
    const int32_t k = lo + random.Below(hi - lo);
    return k >= value ? k + 1 : k;
}

bool Differs(const LageItem& item, int32_t upTo, const LagePose& pose)
{
    for (int32_t i = 0; i < upTo; ++i)
        if (item.Pictures[i] == pose)
            return false;
    return true;
}

} // namespace

bool ValidPose(const LagePose& p)
{
    return p.Bank >= -kBankSteps && p.Bank <= kBankSteps && p.Pitch >= -1 && p.Pitch <= 1 && p.Heading >= 0 &&
           p.Heading < kHeadings;
}

int32_t MatchingPictures(const LageItem& item)
{
    int32_t n = 0;
    for (const LagePose& p : item.Pictures)
        n += p == item.Shown ? 1 : 0;
    return n;
}

bool ValidItem(const LageItem& item)
{
    if (!ValidPose(item.Shown) || item.Answer < 0 || item.Answer >= kPictures)
        return false;
    for (int32_t i = 0; i < kPictures; ++i)
        if (!ValidPose(item.Pictures[i]) || !Differs(item, i, item.Pictures[i]))
            return false;
    return item.Pictures[item.Answer] == item.Shown;
}

LagePose Distractor(const LagePose& t, kit::RandomSource& random)
{
    LagePose d = t;
    switch (random.Below(6)) {
    case 0: // the bank read the wrong way round
        d.Bank = t.Bank != 0 ? -t.Bank : (random.Below(2) == 0 ? 1 : -1);
        break;
    case 1: d.Bank = OtherThan(t.Bank, -kBankSteps, kBankSteps, random); break;
    case 2: d.Pitch = OtherThan(t.Pitch, -1, 1, random); break;
    case 3: // east and west swapped; on north or south, the reverse course
        d.Heading = t.Heading % 4 == 0 ? (t.Heading + 4) % kHeadings : (kHeadings - t.Heading) % kHeadings;
        break;
    case 4: d.Heading = (t.Heading + (random.Below(2) == 0 ? 1 : kHeadings - 1)) % kHeadings; break;
    default: // two at once
        d.Pitch = OtherThan(t.Pitch, -1, 1, random);
        d.Heading = OtherThan(t.Heading, 0, kHeadings - 1, random);
        break;
    }
    return d;
}

LageItem DrawItem(kit::RandomSource& random)
{
    LageItem item{};
    item.Shown = {random.Below(2 * kBankSteps + 1) - kBankSteps, random.Below(3) - 1, random.Below(kHeadings)};
    item.Answer = random.Below(kPictures);
    item.Pictures[item.Answer] = item.Shown;
    int32_t filled = 0;
    LageItem sofar = item;  // the pictures chosen, the answer first
    sofar.Pictures[filled++] = item.Shown;
    for (int32_t i = 0; i < kPictures; ++i) {
        if (i == item.Answer)
            continue;
        LagePose pick = item.Shown;
        for (int tries = 0; tries < 32 && !Differs(sofar, filled, pick); ++tries)
            pick = Distractor(item.Shown, random);
        // Some readings repeat (a level pose has one mirror): take the first
        // free pose in order, which always exists.
        for (int32_t n = 0; !Differs(sofar, filled, pick); ++n)
            pick = {n % 7 - kBankSteps, n / 7 % 3 - 1, n / 21 % kHeadings};
        item.Pictures[i] = pick;
        sofar.Pictures[filled++] = pick;
    }
    return item;
}

int32_t PictureOfKey(uint32_t vk)
{
    if (vk >= '1' && vk <= '4')
        return static_cast<int32_t>(vk - '1');
    if (vk >= 0x61 && vk <= 0x64)  // the number pad's 1 to 4
        return static_cast<int32_t>(vk - 0x61);
    return -1;
}

} // namespace kestrava::lage
