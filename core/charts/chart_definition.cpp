#include "charts/chart_definition.h"

#include <iterator>

namespace vandro {

const char* ChartAxisPrefix(int axis) {
  static constexpr const char* kPrefixes[kChartAxisCount] = {"LeftAxis", "BottomAxis", "RightAxis",
                                                             "TopAxis", "DepthAxis"};
  return axis >= 0 && axis < kChartAxisCount ? kPrefixes[axis] : "";
}

TChartColor DefaultSeriesColor(int index) {
  // Strong colours first; white is left out, it vanishes on the default
  // background.
  static constexpr TChartColor kPalette[] = {
      0x0000FF, // red
      0x008000, // green
      0x00FFFF, // yellow
      0xFF0000, // blue
      0x808080, // gray
      0xFF00FF, // fuchsia
      0x808000, // teal
      0x800000, // navy
      0x000080, // maroon
      0x00FF00, // lime
      0x008080, // olive
      0x800080, // purple
      0xC0C0C0, // silver
      0xFFFF00, // aqua
      0x000000, // black
  };
  constexpr int count = static_cast<int>(std::size(kPalette));
  return kPalette[((index % count) + count) % count];
}

} // namespace vandro
