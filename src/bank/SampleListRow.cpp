#include "bank/SampleListRow.h"

#include "bank/Columns.h"

namespace quillon {

namespace {

// Calls f with the fixed text that holds a column's key.
template <typename Row, typename F>
auto withKey(Row& r, int column, F&& f) {
    switch (column) {
        case kColNo:
            return f(r.noKey);
        case kColName:
            return f(r.name);
        case kColLocation:
            return f(r.location);
        case kColBank:
            return f(r.bank);
        case kColClone:
            return f(r.cloneKey);
        case kColFormat:
            return f(r.format);
        case kColCompression:
            return f(r.compression);
        case kColSize:
            return f(r.sizeKey);
        case kColDescription:
            return f(r.description);
        case kColPriority:
            return f(r.priorityKey);
        case kColGroup:
            return f(r.groupKey);
        case kColAtmosGroup:
            return f(r.atmosGroupKey);
        case kColAtmos:
            return f(r.atmosKey);
        case kColVolume:
            return f(r.volumeKey);
        case kColUserParam:
            return f(r.userParamKey);
        case kColPlayType:
            return f(r.playType);
        case kColLoop:
            return f(r.loopKey);
        case kColLStart:
            return f(r.lStartKey);
        case kColLEnd:
            return f(r.lEndKey);
        case kColPitch:
            return f(r.pitchKey);
        case kColPitchVar:
            return f(r.pitchVarKey);
        case kColPan:
            return f(r.panKey);
        case kColXPos:
            return f(r.xPosKey);
        case kColYPos:
            return f(r.yPosKey);
        case kColZPos:
            return f(r.zPosKey);
        case kColMinDist:
            return f(r.minDistKey);
        case kColMaxDist:
            return f(r.maxDistKey);
        default:
            return f(r.scaleKey);
    }
}

}  // namespace

std::string_view SampleListRow::sortKey(int column) const {
    return withKey(*this, column, [](const auto& text) { return text.view(); });
}

void SampleListRow::setSortKey(int column, std::string_view key) {
    withKey(*this, column, [key](auto& text) { text.set(key); });
}

}  // namespace quillon
