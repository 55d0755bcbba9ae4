#include "platform/pivot_converter.h"

std::string PivotConverter::convert(std::string_view text) {
  points_.clear();
  source_->decode(text, points_);
  std::string result;
  target_->encode(points_, result);
  return result;
}

void PivotConverter::Reset() {
  source_->reset();
  target_->reset();
}
