#include "audio/PeakCache.h"

namespace quillon {

std::optional<PeaksResult> PeakCache::find(const std::string& key) {
    std::lock_guard lock(mutex_);
    auto found = index_.find(key);
    if (found == index_.end()) return std::nullopt;
    entries_.splice(entries_.begin(), entries_, found->second);
    return found->second->result;
}

void PeakCache::store(const std::string& key, PeaksResult result) {
    const size_t size = result.bytes() + key.size();
    std::lock_guard lock(mutex_);
    if (auto found = index_.find(key); found != index_.end()) {
        bytes_ -= found->second->bytes;
        entries_.erase(found->second);
        index_.erase(found);
    }
    if (size > budget_) return;
    while (!entries_.empty() && size > budget_ - bytes_) {
        bytes_ -= entries_.back().bytes;
        index_.erase(entries_.back().key);
        entries_.pop_back();
    }
    entries_.push_front(Entry{key, std::move(result), size});
    index_[key] = entries_.begin();
    bytes_ += size;
}

size_t PeakCache::bytes() const {
    std::lock_guard lock(mutex_);
    return bytes_;
}

size_t PeakCache::size() const {
    std::lock_guard lock(mutex_);
    return entries_.size();
}

// --- PeakWorker ----------------------------------------------------------------------

PeakWorker::PeakWorker(PeakCache& cache, Done done)
    : cache_(cache), done_(std::move(done)), thread_([this](std::stop_token stop) { run(stop); }) {}

PeakWorker::~PeakWorker() {
    {
        std::lock_guard lock(mutex_);
        working_.request_stop();
        pending_.reset();
    }
    thread_.request_stop();
    // The jthread joins as it goes.
}

PeakWorker::Answer PeakWorker::request(const WaveformSource& source) {
    Answer answer;
    const std::string key = source.key();
    std::lock_guard lock(mutex_);
    answer.ticket = ++latestTicket_;
    working_.request_stop();
    pending_.reset();
    answer.cached = cache_.find(key);
    if (answer.cached) return answer;
    pending_ = source;
    pendingTicket_ = answer.ticket;
    wake_.notify_one();
    return answer;
}

void PeakWorker::cancel() {
    std::lock_guard lock(mutex_);
    ++latestTicket_;
    working_.request_stop();
    pending_.reset();
}

void PeakWorker::run(std::stop_token threadStop) {
    for (;;) {
        WaveformSource source;
        uint64_t ticket = 0;
        std::stop_token stop;
        {
            std::unique_lock lock(mutex_);
            if (!wake_.wait(lock, threadStop, [this] { return pending_.has_value(); })) return;
            source = std::move(*pending_);
            pending_.reset();
            ticket = pendingTicket_;
            working_ = std::stop_source();
            stop = working_.get_token();
        }
        const std::string key = source.key();
        std::optional<PeaksResult> result = cache_.find(key);
        if (!result) {
            PeaksResult computed = loadPeaks(source, stop);
            if (stop.stop_requested()) continue;
            cache_.store(key, computed);
            result = std::move(computed);
        }
        {
            // Under the lock, so that a request made meanwhile wins.
            std::lock_guard lock(mutex_);
            if (ticket != latestTicket_) continue;
        }
        done_(ticket, key, *result);
    }
}

}  // namespace quillon
