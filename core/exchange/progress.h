// How a long import or export tells its caller how far it has got, and
// learns whether to go on: the desktop program's progress window and
// vandro-cli's progress line implement it.
#pragma once

#include <string>

namespace vandro {

class TProgress {
public:
  virtual ~TProgress() = default;
  virtual void Start(const std::string& caption) = 0;
  // share: how much of the work is done, from 0 to 1. False asks the work to
  // stop; what was done before is kept.
  virtual bool Update(double share) = 0;
  virtual void End() = 0;
};

} // namespace vandro
