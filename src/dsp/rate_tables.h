// Lookup tables that depend on the sample rate (phase increments, filter
// coefficients) are built once per rate and shared, read-only, by every
// object running at that rate. Two instances at different rates therefore
// never disturb each other, and nothing is rebuilt on the audio thread:
// forRate() is called from setSampleRate()/init(), which run at reset.
#pragma once

#include <map>
#include <memory>
#include <mutex>

template <class Tables>
class RateTables {
public:
  // Tables must be constructible from the sample rate. The returned object
  // lives until the process ends.
  static const Tables& forRate(double sampleRate) {
    static std::mutex mutex;
    static std::map<double, std::unique_ptr<const Tables>> cache;
    std::lock_guard<std::mutex> lock(mutex);
    auto& slot = cache[sampleRate];
    if (!slot) slot = std::make_unique<const Tables>(sampleRate);
    return *slot;
  }
};
