#include "audio/MusicPlan.h"

#include <algorithm>

namespace quillon {

namespace {

// The first section at or after a track, at or before `limit`; none if there is none.
std::optional<size_t> firstAtOrAfter(const std::vector<MusicSection>& sections, uint32_t track,
                                     size_t limit) {
    for (size_t i = 0; i <= limit && i < sections.size(); ++i) {
        if (sections[i].track >= track) return i;
    }
    return std::nullopt;
}

std::vector<MusicSection> musicSections(const SampleTable& table) {
    std::vector<MusicSection> sections;
    uint32_t track = 0;
    for (size_t i = 0; i < table.records.size(); ++i) {
        const ZQ_BankSample& record = table.records[i];
        if (record.sampleNumber == 0) continue;
        ++track;
        if (table.playable[i] && isMusicSection(record)) sections.push_back({uint32_t(i), track});
    }
    return sections;
}

}  // namespace

bool isMusicSection(const ZQ_BankSample& record) {
    return !record.has(kFlagPlayType) && record.playType >= kFirstMpegDescriptor;
}

std::optional<MusicPlan> planMusic(const SampleTable& table, const MusicRequest& request) {
    MusicPlan plan;
    plan.sections = musicSections(table);
    if (plan.sections.empty()) return std::nullopt;
    const size_t lastOfBank = plan.sections.size() - 1;
    const std::optional<size_t> first =
        firstAtOrAfter(plan.sections, std::max<uint32_t>(request.track, 1), lastOfBank);
    if (!first) return std::nullopt;
    plan.first = *first;

    // A last track before the first section would leave nothing to play: the
    // run then goes to the bank's end.
    plan.last = lastOfBank;
    if (request.lastTrack != 0) {
        for (size_t i = plan.first; i <= lastOfBank && plan.sections[i].track <= request.lastTrack;
             ++i)
            plan.last = i;
    }
    plan.loop = plan.first;
    if (request.loopTrack != 0) {
        if (const std::optional<size_t> loop =
                firstAtOrAfter(plan.sections, request.loopTrack, plan.last))
            plan.loop = *loop;
    }
    plan.passes = request.playCount;
    return plan;
}

std::optional<size_t> MusicCursor::current() const {
    if (done_) return std::nullopt;
    return position_;
}

bool MusicCursor::advance() {
    if (done_) return false;
    if (position_ < last_) {
        ++position_;
        return false;
    }
    if (passes_ != 0 && pass_ >= passes_) {
        done_ = true;
        return false;
    }
    ++pass_;
    position_ = loop_;
    return true;
}

}  // namespace quillon
