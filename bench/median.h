#pragma once

#include <algorithm>
#include <cstddef>
#include <vector>

// The middle value, or the mean of the two middle ones; the samples must not be empty.
inline double median(std::vector<double> samples)
{
    std::sort(samples.begin(), samples.end());
    const std::size_t half = samples.size() / 2;
    return samples.size() % 2 == 1 ? samples[half] : (samples[half - 1] + samples[half]) / 2;
}
