#pragma once
// A converter that decodes the source to code points and encodes them in the
// target encoding.

#include <memory>
#include <string>

#include "platform/code_point_codec.h"
#include "platform/text_encoding.h"

class PivotConverter : public TextConverter {
 public:
  PivotConverter(std::unique_ptr<CodePointCodec> source, std::unique_ptr<CodePointCodec> target)
      : source_(std::move(source)), target_(std::move(target)) {}

  std::string convert(std::string_view text) override;
  void Reset() override;

 private:
  std::unique_ptr<CodePointCodec> source_;
  std::unique_ptr<CodePointCodec> target_;
  std::u32string points_;  // reused between texts
};
