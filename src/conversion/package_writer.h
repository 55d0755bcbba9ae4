#pragma once
// A document package written all or nothing: its files go to temporaries in
// the package folder and are put in place together when the conversion has
// succeeded. Until then an existing package keeps its files as they were.

#include <memory>
#include <string>
#include <vector>

#include "line_sink.h"
#include "platform/folder_item.h"

class PackageWriter {
 public:
  // Makes the package folder at `target` when there is none. Throws
  // NilObjectException when a link or something that is not a folder has
  // that name, or the folder cannot be made.
  explicit PackageWriter(const FolderItem& target);
  // Without a Commit: puts back the files a failed Commit had replaced,
  // removes the temporaries, and the package folder when this writer made it
  // (the folder stays when anything else has been put in it).
  ~PackageWriter();
  PackageWriter(const PackageWriter&) = delete;
  PackageWriter& operator=(const PackageWriter&) = delete;

  // A sink onto the temporary of the package file `name` ("pref", "csv",
  // ...), valid until Commit or destruction. Throws NilObjectException when
  // the package holds a folder of that name; the sink's failures to create
  // or write throw it too, naming the file and the system's reason.
  LineSink& Open(const std::string& name);
  // Finishes every temporary, then puts them in place in the order they were
  // opened, and removes temporaries of the package's files that an earlier
  // crash left; other entries of the package stay as they are. When a
  // temporary cannot be finished or put in place, the package keeps the files
  // it had: none is replaced.
  void Commit();

 private:
  class FileSink;
  void RemoveLeftTemporaries() const;

  FolderItem target_;
  bool createdFolder_ = false;
  bool committed_ = false;
  std::size_t placed_ = 0;  // files already renamed to their final names
  std::vector<std::unique_ptr<FileSink>> files_;
};
