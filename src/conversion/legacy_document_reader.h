#pragma once
// Reads the fields of a legacy list document's data fork and says, in words
// for the user, which field could not be read and why.

#include <cstdint>
#include <string>

class BinaryStream;

class LegacyDocumentReader {
 public:
  enum class Kind {
    Header,
    PrefCount,
    PrefNumber,
    StringCount,
    PrefString,
    ColumnInfo,
    ColumnName,
    ColumnColour,
    Cell,
  };
  // The field being read; `index` (row, column or entry) and `column` count
  // from 0 and appear, from 1, in the reason.
  struct Field {
    Kind kind;
    std::int64_t index = 0;
    std::int64_t column = 0;
  };

  // Reads from `stream`, which must outlive the reader.
  explicit LegacyDocumentReader(BinaryStream& stream);

  // Each read throws ConversionError, naming the field and its offset, when
  // the document ends before the field does or a length is negative.
  std::int32_t ReadLong(const Field& field);
  // One length byte, then that many bytes.
  std::string ReadShortString(const Field& field);
  // An Int32 length, then that many bytes.
  std::string ReadLongString(const Field& field);

  // The field as the user reads it: "3番目のプリファレンス数値".
  static std::string Describe(const Field& field);

 private:
  std::uint64_t BytesLeft() const;
  [[noreturn]] void FailEndsEarly(const Field& field, std::uint64_t offset) const;

  BinaryStream& stream_;
};
