#pragma once
// Why a document could not be converted, in words for the user.

#include <cstdint>
#include <stdexcept>
#include <string>

// Raised by the document reader and the package writer; the converter shows
// `what()` (Japanese, one sentence) as the reason in its caution.
class ConversionError : public std::runtime_error {
 public:
  explicit ConversionError(const std::string& reason) : std::runtime_error(reason) {}
};
