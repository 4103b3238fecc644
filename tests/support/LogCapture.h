// The lines the program logs while it lives, with the answers to failed checks
// under the test's control; the hooks before it come back when it goes.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "container/ZQLog.h"

namespace quillon::test {

struct LogCapture {
    explicit LogCapture(ZQAssertHooks hooks = {}) : before(ZQSetAssertHooks(hooks)) {
        ZQLogSetObserver([this](const ZQLogRecord& record) { lines.emplace_back(record.Text); });
    }
    ~LogCapture() {
        ZQLogSetObserver({});
        ZQSetAssertHooks(before);
    }
    std::vector<std::string> lines;
    ZQAssertHooks before;
};

// The lines of a failed check and of its corrective statement.
inline std::string failedCheck(std::string_view expression, std::string_view message) {
    return "***ASSERT FAILED expr:" + std::string(expression) + " text:" + std::string(message);
}
inline std::string corrective(std::string_view statement) {
    return "**********CORRECTIVE ASSERT APPLIED - REMOVE IF POSSIBLE:(" + std::string(statement) +
           ")**********";
}

}  // namespace quillon::test
