#include "shell/progress.h"

namespace vandro {

TProgressScope::TProgressScope(TProgress* progress, const std::string& caption)
    : progress_(progress) {
  if (progress_) progress_->Start(caption);
}

TProgressScope::~TProgressScope() {
  if (progress_) progress_->End();
}

bool TProgressScope::Update(double share) {
  if (progress_ && !stopped_ && !progress_->Update(share)) stopped_ = true;
  return !stopped_;
}

bool TProgressScope::Update(int64_t done, int64_t total) {
  return Update(total > 0 ? static_cast<double>(done) / static_cast<double>(total) : 1.0);
}

} // namespace vandro
