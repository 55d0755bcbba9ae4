#include "package_writer.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <filesystem>
#include <system_error>

#include "platform/errors.h"
#include "platform/file_descriptor.h"
#include "platform/system_error_text.h"
#include "platform/text_output_stream.h"

namespace {

namespace fs = std::filesystem;

// The package's own files, whose temporaries an earlier crash may have left.
constexpr const char* kPackageFiles[] = {"pref", "csv", "colAttr", "window"};

[[noreturn]] void FailToKeep(const fs::path& path, int error) {
  throw NilObjectException("「" + path.string() + "」を置き換える前の控えを作成できませんでした（" +
                           SystemErrorText(error) + "）。");
}

// Keeps the file at `path` reachable under a second name until every new
// file is in place, so that a rename failing half way can put back what the
// earlier ones replaced: a hard link, so that the old file stays at its name
// meanwhile, or, where the file system has no links, the file itself moved
// aside (never a copy: a `csv` may be gigabytes). The name is one the stream
// gives its temporaries, so that backups a crash leaves are removed with its
// temporaries. Returns "" when there is no file to keep.
fs::path KeepOld(const fs::path& path) {
  std::error_code error, ignored;
  const fs::file_status status = fs::symlink_status(path, error);
  // A folder put at the name meanwhile makes the rename fail: nothing to keep.
  if (!fs::exists(status) || fs::is_directory(status)) return {};
  std::string backup = TextOutputStream::TemporaryTemplate(path).string();
  FileDescriptor reserved(::mkostemp(backup.data(), O_CLOEXEC));  // a name nothing else has
  if (!reserved.IsOpen()) FailToKeep(path, errno);
  reserved.Close();
  fs::remove(backup, ignored);
  fs::create_hard_link(path, backup, error);
  if (error) {
    error.clear();
    fs::rename(path, backup, error);
  }
  if (error) {
    fs::remove(backup, ignored);
    FailToKeep(path, error.value());
  }
  return backup;
}

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
  fs::path backup;  // what the final name held before Commit, "" for nothing
};

PackageWriter::PackageWriter(const FolderItem& target) : target_(target) {
  std::error_code ignored;
  // Nothing is written through a link, whatever it points at.
  if (fs::is_symlink(fs::symlink_status(target_.Path(), ignored))) {
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
  // Files already put in place give way to what stood there before; the
  // others never left their names, and only their backups go.
  std::error_code ignored;
  for (std::size_t i = 0; i < files_.size(); ++i) {
    const fs::path& backup = files_[i]->backup;
    const fs::path& finalPath = files_[i]->stream->FinalPath();
    const bool placed = i < placed_;
    if (backup.empty()) {
      if (placed) fs::remove(finalPath, ignored);  // nothing stood there before
    } else if (placed || !fs::exists(fs::symlink_status(finalPath, ignored))) {
      fs::rename(backup, finalPath, ignored);  // replaced, or moved aside where links fail
    } else {
      fs::remove(backup, ignored);  // a link beside the old file, which never left
    }
  }
  files_.clear();  // an uncommitted stream removes its temporary
  // A folder someone else has filled meanwhile stays.
  if (createdFolder_) fs::remove(target_.Path(), ignored);
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
  // A rename can still fail (a folder put at a file's name meanwhile, a disk
  // that fails): never a new `pref` beside an old `csv`.
  for (const auto& file : files_) file->backup = KeepOld(file->stream->FinalPath());
  for (; placed_ < files_.size(); ++placed_) files_[placed_]->stream->Commit();
  committed_ = true;
  RemoveLeftTemporaries();  // the backups too: they have temporaries' names
}

void PackageWriter::RemoveLeftTemporaries() const {
  std::error_code error;
  for (fs::directory_iterator it(target_.Path(), error), end; !error && it != end;
       it.increment(error)) {
    const std::string entry = it->path().filename().string();
    for (const char* name : kPackageFiles) {
      std::error_code ignored;  // one that cannot go now goes next time
      if (TextOutputStream::IsTemporaryName(entry, name)) fs::remove(it->path(), ignored);
    }
  }
}
