#include "sequencer/song_model.h"

#include <algorithm>

namespace music {

Automation::Automation(std::initializer_list<std::pair<double, float>> points) : points_(points) {
    std::stable_sort(points_.begin(), points_.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
}

float Automation::at(double bar) const {
    if (points_.empty())
        return 1.0f;
    if (bar <= points_.front().first)
        return points_.front().second;
    if (bar >= points_.back().first)
        return points_.back().second;
    const auto after =
        std::upper_bound(points_.begin(), points_.end(), bar,
                         [](double value, const auto& point) { return value < point.first; });
    const auto before = after - 1;
    const double span = after->first - before->first;
    if (span <= 0.0)
        return after->second;
    const double x = (bar - before->first) / span;
    return static_cast<float>(before->second + (after->second - before->second) * x);
}

} // namespace music
