#include "package_writer.h"

#include <filesystem>
#include <system_error>

#include "conversion_error.h"
#include "platform/errors.h"
#include "platform/text_output_stream.h"

class PackageWriter::FileSink final : public LineSink {
 public:
  FileSink(std::string name, std::unique_ptr<TextOutputStream> stream)
      : name(std::move(name)), stream(std::move(stream)) {
    this->stream->Delimiter = "\n";
  }
  void WriteLine(std::string_view line) override { stream->WriteLine(line); }

  std::string name;
  std::unique_ptr<TextOutputStream> stream;
};

PackageWriter::PackageWriter(const FolderItem& target) : target_(target) {
  if (target_.Exists() && !target_.Directory()) {
    throw ConversionError("変換先の「" + target_.AbsolutePath() +
                          "」には、フォルダではない項目が既にあります。");
  }
  const bool existed = target_.Exists();
  if (!target_.CreateAsFolder()) {
    throw ConversionError("変換先のフォルダ「" + target_.AbsolutePath() +
                          "」を作成できませんでした。");
  }
  createdFolder_ = !existed;
}

PackageWriter::~PackageWriter() {
  if (committed_) return;
  files_.clear();  // an uncommitted stream removes its temporary
  if (createdFolder_) {
    std::error_code ignored;  // a folder someone else has filled meanwhile stays
    std::filesystem::remove(target_.Path(), ignored);
  }
}

LineSink& PackageWriter::Open(const std::string& name) {
  const FolderItem file = target_.Child(name);
  // A folder in the way would make the final rename fail after other files
  // had already been replaced.
  if (file.Directory()) {
    throw ConversionError("変換先のパッケージの中に「" + name +
                          "」という名前のフォルダがあるため、書き込めません。");
  }
  try {
    files_.push_back(std::make_unique<FileSink>(name, file.CreateTextFile()));
  } catch (const NilObjectException& e) {
    throw ConversionError("パッケージのファイル「" + name + "」を作成できませんでした（" +
                          e.what() + "）。");
  }
  return *files_.back();
}

void PackageWriter::Commit() {
  for (const auto& file : files_) {
    try {
      file->stream->Close();
    } catch (const FrameworkError& e) {
      throw ConversionError("パッケージのファイル「" + file->name + "」を書き込めませんでした（" +
                            e.what() + "）。");
    }
  }
  std::size_t placed = 0;
  try {
    for (; placed < files_.size(); ++placed) files_[placed]->stream->Commit();
  } catch (const FrameworkError& e) {
    // Renames inside one folder fail only when the disk does; a package we
    // made loses what it already got, so the destructor can remove it.
    for (std::size_t i = 0; createdFolder_ && i < placed; ++i) {
      std::error_code ignored;
      std::filesystem::remove(files_[i]->stream->FinalPath(), ignored);
    }
    throw ConversionError("パッケージのファイル「" + files_[placed]->name +
                          "」を置き換えられませんでした（" + e.what() + "）。");
  }
  committed_ = true;
}
