#pragma once
// A random source that yields a scripted sequence and logs every range asked
// for, so tests can fix each draw and check the order of the draws. Once the
// script runs out it yields the low end of each range (or keeps a fallback
// generator, if one is given).
#include <cstdint>
#include <deque>
#include <utility>
#include <vector>

#include "core/Random.h"

class ScriptedRandom final : public RandomSource {
public:
    ScriptedRandom() = default;
    explicit ScriptedRandom(std::vector<int64_t> values) : queue_(values.begin(), values.end()) {}

    void push(int64_t v) { queue_.push_back(v); }
    void push(std::initializer_list<int64_t> vs) { queue_.insert(queue_.end(), vs); }
    void setFallback(RandomSource* fallback) { fallback_ = fallback; }
    size_t remaining() const { return queue_.size(); }

    int64_t range(int64_t a, int64_t b) override {
        requests.emplace_back(a, b);
        if (queue_.empty()) return fallback_ ? fallback_->range(a, b) : a;
        int64_t v = queue_.front();
        queue_.pop_front();
        if (v < a) v = a;  // a script value out of range is a test error; keep it in range
        if (v > b) v = b;
        return v;
    }

    std::vector<std::pair<int64_t, int64_t>> requests;

private:
    std::deque<int64_t> queue_;
    RandomSource* fallback_ = nullptr;
};
