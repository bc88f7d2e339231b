// Chart definitions come from the descriptor table and from files handed to
// vandro-cli: any text must read without a crash, stopping at a damaged line
// with a message naming it; and whatever was read writes lines that store
// as they are and read back to the same definition, which writes the same
// lines again.
#include "charts/chart_text.h"
#include "storage/descriptors.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

using namespace vandro;

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  TChartDefinition first;
  std::string error = "unset";
  const bool read = ApplyChart(SplitDescriptorText(text), first, &error);
  const std::string damaged = std::string(kChartDamaged) + "\r\n";
  Check(read ? error.empty() : error.compare(0, damaged.size(), damaged) == 0);
  Check(first.Series.size() <= static_cast<size_t>(kMaxChartSeries));

  const std::vector<std::string> written = CaptureChart(first);
  Check(SplitDescriptorText(JoinDescriptorLines(written)) == written);
  TChartDefinition second;
  Check(ApplyChart(written, second, &error));
  Check(second == first);
  Check(CaptureChart(second) == written);
  return 0;
}
