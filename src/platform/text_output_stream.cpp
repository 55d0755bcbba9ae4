#include "platform/text_output_stream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <utility>
#include <vector>

#include "platform/errors.h"
#include "platform/file_descriptor.h"
#include "platform/system_error_text.h"

namespace {

constexpr std::size_t kBufferSize = 64 * 1024;
// Keeps ".NAME.tmp-XXXXXX" within the 255 bytes a file name may have.
constexpr std::size_t kMaxNameInTemporary = 200;

// `what` holds "{}" where the file's final path goes.
[[noreturn]] void Fail(const std::string& what, const std::filesystem::path& path, int error) {
  std::string text = what;
  text.replace(text.find("{}"), 2, path.string());
  throw NilObjectException(text + "（" + SystemErrorText(error) + "）。");
}

constexpr const char* kCannotCreate = "「{}」の一時ファイルを作成できませんでした";
constexpr const char* kCannotWrite = "「{}」の一時ファイルに書き込めませんでした";
constexpr const char* kCannotRename = "一時ファイルの名前を「{}」に変更できませんでした";
constexpr std::string_view kTemporaryMark = ".tmp-";
constexpr std::size_t kTemporarySuffix = 6;  // mkostemp's XXXXXX

// The process's umask. Linux reports it without changing it; elsewhere it is
// set and put back at once (everything runs on the one UI thread).
mode_t CurrentUmask() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("Umask:", 0) == 0) {
      return static_cast<mode_t>(std::strtoul(line.c_str() + 6, nullptr, 8));
    }
  }
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return mask;
}

}  // namespace

struct TextOutputStream::State {
  std::filesystem::path finalPath;
  std::filesystem::path temporaryPath;
  FileDescriptor fd;
  bool temporaryExists = false;
  bool closed = false;
  std::string buffer;

  void Flush() {
    WriteAll(buffer);
    buffer.clear();
  }

  // A write that fails leaves nothing worth keeping: the temporary goes.
  void WriteAll(std::string_view bytes) {
    while (!bytes.empty()) {
      const ssize_t n =
          RetryOnInterrupt([&] { return ::write(fd.Get(), bytes.data(), bytes.size()); });
      if (n <= 0) FailAndRemove(kCannotWrite, n < 0 ? errno : ENOSPC);
      bytes.remove_prefix(static_cast<std::size_t>(n));
    }
  }

  [[noreturn]] void FailAndRemove(const std::string& what, int error) {
    RemoveTemporary();
    Fail(what, finalPath, error);
  }

  void RemoveTemporary() {
    fd.Close();
    if (temporaryExists) ::unlink(temporaryPath.c_str());
    temporaryExists = false;
    closed = true;
  }
};

std::unique_ptr<TextOutputStream> TextOutputStream::Create(const std::filesystem::path& finalPath) {
  std::string pattern = TemporaryTemplate(finalPath).string();
  // mkostemp creates with O_EXCL: a link planted at the temporary name is
  // never followed.
  FileDescriptor fd(::mkostemp(pattern.data(), O_CLOEXEC));
  if (!fd.IsOpen()) Fail(kCannotCreate, finalPath, errno);
  std::unique_ptr<TextOutputStream> stream(new TextOutputStream());
  stream->state_ = std::make_unique<State>();
  State& state = *stream->state_;
  state.finalPath = finalPath;
  state.temporaryPath = pattern;
  state.fd = std::move(fd);
  state.temporaryExists = true;
  state.buffer.reserve(kBufferSize);
  // mkstemp makes files 0600; give the mode a plain creat() would have.
  if (::fchmod(state.fd.Get(), 0666 & ~CurrentUmask()) != 0)
    state.FailAndRemove(kCannotCreate, errno);
  return stream;
}

TextOutputStream::~TextOutputStream() {
  if (state_) state_->RemoveTemporary();
}

void TextOutputStream::Write(std::string_view bytes) {
  State& state = *state_;
  if (state.closed) {
    throw NilObjectException("閉じたファイル「" + state.finalPath.string() +
                             "」には書き込めません。");
  }
  if (state.buffer.size() + bytes.size() > kBufferSize) {
    state.Flush();
    if (bytes.size() >= kBufferSize) {  // large runs skip the buffer
      state.WriteAll(bytes);
      return;
    }
  }
  state.buffer.append(bytes);
}

void TextOutputStream::WriteLine(std::string_view bytes) {
  Write(bytes);
  Write(Delimiter);
}

void TextOutputStream::Close() {
  State& state = *state_;
  if (state.closed) return;
  state.Flush();
  // The data must be on disk before the rename makes it the file's content.
  if (::fsync(state.fd.Get()) != 0) state.FailAndRemove(kCannotWrite, errno);
  if (const int error = state.fd.Close(); error != 0) state.FailAndRemove(kCannotWrite, error);
  state.closed = true;
}

void TextOutputStream::Commit() {
  State& state = *state_;
  if (!state.temporaryExists) {
    throw NilObjectException("ファイル「" + state.finalPath.string() +
                             "」はすでに確定または破棄されています。");
  }
  Close();
  // rename replaces whatever stands at the final name, a symbolic link
  // included, and never writes through it.
  if (::rename(state.temporaryPath.c_str(), state.finalPath.c_str()) != 0) {
    state.FailAndRemove(kCannotRename, errno);
  }
  state.temporaryExists = false;
}

const std::filesystem::path& TextOutputStream::FinalPath() const { return state_->finalPath; }

bool TextOutputStream::IsTemporaryName(std::string_view entry, std::string_view finalName) {
  const std::size_t nameEnd = 1 + finalName.size();
  if (entry.size() != nameEnd + kTemporaryMark.size() + kTemporarySuffix) return false;
  if (entry[0] != '.' || entry.substr(1, finalName.size()) != finalName) return false;
  if (entry.substr(nameEnd, kTemporaryMark.size()) != kTemporaryMark) return false;
  const std::string_view suffix = entry.substr(nameEnd + kTemporaryMark.size());
  return std::all_of(suffix.begin(), suffix.end(),
                     [](char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; });
}

std::filesystem::path TextOutputStream::TemporaryTemplate(const std::filesystem::path& finalPath) {
  std::string name = finalPath.filename().string();
  if (name.size() > kMaxNameInTemporary) name.resize(kMaxNameInTemporary);
  const std::filesystem::path folder = finalPath.has_parent_path() ? finalPath.parent_path() : ".";
  return folder / ("." + name + std::string(kTemporaryMark) + "XXXXXX");
}
