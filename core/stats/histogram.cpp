#include "stats/histogram.h"

#include "shell/messages.h"

#include <algorithm>
#include <cmath>

namespace vandro {

bool BuildHistogram(const TSample* selected, int intervals, THistogram& histogram) {
  if (!selected) {
    ShowMsg("Select series");
    return false;
  }
  if (selected->kind == TSampleKind::Text) {
    ShowMsg("Series should be numeric");
    return false;
  }
  const std::vector<long double> numbers = WithoutMissing(*selected).numbers;
  if (numbers.empty()) {
    ShowMsg("Series is empty");
    return false;
  }
  const int k = std::clamp(intervals, kMinIntervals, kMaxIntervals);
  const auto [low, high] = std::minmax_element(numbers.begin(), numbers.end());
  THistogram result;
  result.minimum = *low;
  result.maximum = *high;
  long double h = (result.maximum - result.minimum) / k;
  if (h == 0) h = 1;
  result.increment = h;

  // Labels carry the digits that tell neighbouring bars apart: d decimals
  // for intervals below 1, on top of the digits of the largest magnitude.
  const int decimals = h <= 1 ? static_cast<int>(std::fabs(std::round(std::log10(h)))) : 0;
  const long double magnitude = std::max(std::fabs(result.minimum), std::fabs(result.maximum));
  const int wholeDigits = magnitude > 0 ? static_cast<int>(std::trunc(std::log10(magnitude))) : 0;
  const int precision = wholeDigits + decimals + 2;

  for (int i = 0; i < k; ++i) {
    THistogramBar bar;
    bar.low = result.minimum + i * h;
    // The next bar's own low end, so that rounding leaves no gap and no
    // overlap; the last bar takes everything up to the maximum, whatever
    // its sign.
    bar.high = result.minimum + (i + 1) * h;
    const bool last = i == k - 1;
    bar.count = static_cast<int>(std::count_if(numbers.begin(), numbers.end(), [&](long double v) {
      return v >= bar.low && (last || v < bar.high);
    }));
    bar.label = GeneralText(bar.low, precision, decimals);
    result.bars.push_back(std::move(bar));
  }
  histogram = std::move(result);
  return true;
}

} // namespace vandro
