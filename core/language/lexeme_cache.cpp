#include "language/lexeme_cache.h"

#include <utility>

namespace vandro {

std::shared_ptr<const TLexedSource> TLexemeCache::Find(std::string_view text) const {
  const auto found = entries_.find(text);
  return found == entries_.end() ? nullptr : found->second;
}

void TLexemeCache::Add(std::string text, std::shared_ptr<const TLexedSource> lexed) {
  if (text.size() > kMaxTextLength || entries_.count(text)) return;
  if (entries_.size() >= kMaxEntries) {
    entries_.erase(order_.front());
    order_.pop_front();
  }
  order_.push_back(text);
  entries_.emplace(std::move(text), std::move(lexed));
}

void TLexemeCache::Clear() {
  entries_.clear();
  order_.clear();
}

TLexemeCache& LexemeCache() {
  thread_local TLexemeCache cache;
  return cache;
}

} // namespace vandro
