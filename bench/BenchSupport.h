// What the benchmarks share: the median of a set of timings, a shell that
// shows nothing, and rendering the audio system's output as fast as it goes.
#pragma once

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <vector>

#include "SilentShell.h"
#include "audio/ZQAudio.h"
#include "bank/Shell.h"

namespace quillon::bench {

inline double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

inline double millisSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

// Prints and counts every message, since a benchmark that meets one measures
// something else; shows and records nothing more.
class SilentShell : public test::SilentShell {
  public:
    MessageAnswer showMessage(const MessageRequest& request) override {
        std::fprintf(stderr, "message: %s\n", request.text.c_str());
        ++messages;
        return test::SilentShell::showMessage(request);
    }

    int messages = 0;
};

struct RenderRun {
    double seconds = 0;
    float peak = 0;  // of the last period: proof that something sounds
};

// Renders `frames` stereo frames in periods of `periodFrames`.
inline RenderRun render(ZQ_AudioSystem& system, uint32_t frames, uint32_t periodFrames) {
    std::vector<float> period(size_t(periodFrames) * 2);
    RenderRun run;
    const auto start = std::chrono::steady_clock::now();
    for (uint32_t done = 0; done < frames; done += periodFrames)
        (void)system.ZQRender(period.data(), periodFrames);
    run.seconds = millisSince(start) / 1000;
    for (float v : period)
        run.peak = std::max(run.peak, std::fabs(v));
    return run;
}

}  // namespace quillon::bench
