// The waveform view's peaks, computed once per audio source and kept within a
// memory budget (the least recently used go first), and the one worker thread
// that computes them. A request never waits for a computation: it answers from
// the cache or hands the source to the worker, and a newer request stops the
// work of an older one. No Qt.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <list>
#include <mutex>
#include <optional>
#include <stop_token>
#include <string>
#include <thread>
#include <unordered_map>

#include "audio/Waveform.h"

namespace quillon {

class PeakCache {
  public:
    explicit PeakCache(size_t budgetBytes) : budget_(budgetBytes) {}
    PeakCache(const PeakCache&) = delete;
    PeakCache& operator=(const PeakCache&) = delete;

    // The result kept for the key, now the most recently used; nothing when none is.
    [[nodiscard]] std::optional<PeaksResult> find(const std::string& key);
    // Keeps the result, dropping the least recently used beyond the budget. A
    // result larger than the whole budget is not kept.
    void store(const std::string& key, PeaksResult result);
    [[nodiscard]] size_t bytes() const;
    [[nodiscard]] size_t size() const;

  private:
    struct Entry {
        std::string key;
        PeaksResult result;
        size_t bytes = 0;
    };
    mutable std::mutex mutex_;
    size_t budget_;
    size_t bytes_ = 0;
    std::list<Entry> entries_;  // most recently used first
    std::unordered_map<std::string, std::list<Entry>::iterator> index_;
};

// Computes peaks on its own thread, one source at a time.
class PeakWorker {
  public:
    // Called on the worker thread when a request's peaks (or its error) are
    // ready; never for a request that a newer one replaced.
    using Done = std::function<void(uint64_t ticket, const std::string& key, const PeaksResult&)>;

    PeakWorker(PeakCache& cache, Done done);
    // Stops the work in hand and waits for the thread to end.
    ~PeakWorker();
    PeakWorker(const PeakWorker&) = delete;
    PeakWorker& operator=(const PeakWorker&) = delete;

    struct Answer {
        uint64_t ticket = 0;                // names this request in Done
        std::optional<PeaksResult> cached;  // set when the cache had it: no work starts
    };
    // Asks for the source's peaks; any older request is stopped.
    [[nodiscard]] Answer request(const WaveformSource& source);
    // Stops the work in hand; its Done never comes.
    void cancel();

  private:
    void run(std::stop_token threadStop);

    PeakCache& cache_;
    Done done_;
    std::mutex mutex_;
    std::condition_variable_any wake_;
    std::optional<WaveformSource> pending_;
    uint64_t pendingTicket_ = 0;
    uint64_t latestTicket_ = 0;
    std::stop_source working_;  // of the computation in hand
    std::jthread thread_;       // last: it starts once the rest is made
};

}  // namespace quillon
