#include "package_writer.h"

#include <sys/stat.h>

#include <cerrno>
#include <filesystem>
#include <system_error>

#include "platform/errors.h"
#include "platform/system_error_text.h"
#include "platform/text_output_stream.h"

namespace {

// The package's own files, whose temporaries an earlier crash may have left.
constexpr const char* kPackageFiles[] = {"pref", "csv", "colAttr", "window"};

}  // namespace

class PackageWriter::FileSink final : public LineSink {
 public:
  FileSink(std::string name, std::unique_ptr<TextOutputStream> stream)
      : name(std::move(name)), stream(std::move(stream)) {
    this->stream->Delimiter = "\n";
  }
  void Write(std::string_view bytes) override { stream->Write(bytes); }
  void WriteLine(std::string_view line) override { stream->WriteLine(line); }

  std::string name;
  std::unique_ptr<TextOutputStream> stream;
};

PackageWriter::PackageWriter(const FolderItem& target) : target_(target) {
  std::error_code ignored;
  // Nothing is written through a link, whatever it points at.
  if (std::filesystem::is_symlink(std::filesystem::symlink_status(target_.Path(), ignored))) {
    throw NilObjectException("変換先の「" + target_.AbsolutePath() +
                             "」はシンボリックリンクです。リンクの先には書き込みません。");
  }
  if (target_.Exists() && !target_.Directory()) {
    throw NilObjectException("変換先の「" + target_.AbsolutePath() +
                             "」には、フォルダではない項目が既にあります。");
  }
  const bool existed = target_.Exists();
  if (!target_.CreateAsFolder()) {
    // CreateAsFolder answers only yes or no; the same request again gives
    // the system's reason.
    const int error = ::mkdir(target_.Path().c_str(), 0777) == 0 ? 0 : errno;
    if (error != 0) {
      throw NilObjectException("変換先のフォルダ「" + target_.AbsolutePath() +
                               "」を作成できませんでした（" + SystemErrorText(error) + "）。");
    }
  }
  createdFolder_ = !existed;
}

PackageWriter::~PackageWriter() {
  if (committed_) return;
  if (createdFolder_) {
    // Renames inside one folder fail only when the disk does; a package we
    // made loses what it already got.
    std::error_code ignored;
    for (std::size_t i = 0; i < placed_; ++i)
      std::filesystem::remove(files_[i]->stream->FinalPath(), ignored);
  }
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
    throw NilObjectException("変換先のパッケージの中に「" + name +
                             "」という名前のフォルダがあるため、書き込めません。");
  }
  files_.push_back(std::make_unique<FileSink>(name, file.CreateTextFile()));
  return *files_.back();
}

void PackageWriter::Commit() {
  for (const auto& file : files_) file->stream->Close();
  for (; placed_ < files_.size(); ++placed_) files_[placed_]->stream->Commit();
  committed_ = true;
  RemoveLeftTemporaries();
}

void PackageWriter::RemoveLeftTemporaries() const {
  std::error_code error;
  for (std::filesystem::directory_iterator it(target_.Path(), error), end; !error && it != end;
       it.increment(error)) {
    const std::string entry = it->path().filename().string();
    for (const char* name : kPackageFiles) {
      std::error_code ignored;  // one that cannot go now goes next time
      if (TextOutputStream::IsTemporaryName(entry, name))
        std::filesystem::remove(it->path(), ignored);
    }
  }
}
