// Files and folders: FolderItem, GetFolderItem and TextOutputStream.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/runtime/object.h"

namespace platform {

// Device and inode: what makes two paths the same folder.
struct FileIdentity {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

// A file or folder by its path. A folder's entries are read once, at the first Count or Item,
// sorted by name in byte order, hidden ones included: indexes 1 to Count give the same
// entries for the life of the object. Only their names are kept, and the item last given: a
// walk of a large tree holds the folders on its way down, not everything it went through.
class FolderItem : public Object {
 public:
  explicit FolderItem(std::string_view path);

  const String& Name() const noexcept { return name_; }
  // The full path; a folder's has no separator at its end.
  const String& NativePath() const noexcept { return path_; }
  // True when the entry is there, be it a link whose target is missing, and when the system
  // will not look at it (in a folder that may be listed but not entered, at a path longer than
  // it takes): only a path that leads nowhere is missing.
  bool Exists() const;
  // True for a folder, or a link to one.
  bool Directory() const;

  std::int64_t Count();
  // The entry at index 1 to Count, or nil outside that range. Asked again for the same index,
  // it gives the same object until another index is asked for.
  Ref<FolderItem> Item(std::int64_t index);
  // After Count or Item of a folder whose entries could not all be read: the OS error number
  // (0 when they could), and why in French.
  int LastErrorCode() const noexcept { return lastError_; }
  String LastErrorMessage() const;

  // Creates a new empty file in this folder under the name. A name that is taken is never
  // reused: the file then takes the first free name "stem (2).ext", "stem (3).ext", ...
  // Nil when none could be made, with the reason in LastErrorCode.
  Ref<FolderItem> CreateUniqueFile(const String& name);
  // Makes the folder; when it cannot, LastErrorCode says why. A folder that is there already
  // is no failure.
  void CreateAsFolder();

  // True when both are the same file or folder (same device and inode), by whatever path.
  bool SameFileAs(const Ref<FolderItem>& other) const;
  // True when this is a folder that is one of the folders through which it was reached
  // (same device and inode), as a link back up the tree is: walking it would never end.
  bool RevisitsEnclosingFolder() const;

 private:
  // The folders through which an entry was reached, innermost first: one link per folder,
  // shared by all that was reached through it.
  struct Enclosing {
    FileIdentity identity;
    std::shared_ptr<const Enclosing> outer;
  };
  // A folder's entries: their names one after the other, each ended by a NUL, and where each
  // begins, in byte order of the names.
  struct Entries {
    String names;
    std::vector<std::size_t> starts;
    std::shared_ptr<const Enclosing> enclosing;  // for the entries: this folder and its own
  };
  FolderItem(String path, String name, std::shared_ptr<const Enclosing> enclosing);
  void ReadEntries();

  String path_;
  String name_;
  std::shared_ptr<const Enclosing> enclosing_;  // the folders this entry was reached through
  std::optional<Entries> entries_;
  std::int64_t currentIndex_ = 0;  // the index of current_, the item that Item gave last
  Ref<FolderItem> current_;
  int lastError_ = 0;
};

// True for an OS error number that says that nothing is at a path (not that it cannot be
// looked at).
bool LeadsNowhere(int error);

// Where the file at the path is: the path itself, or, when its last component is a link, where
// the link leads, through links to links. The folders on the way are left to the system,
// which follows them whenever the path is used. Empty when it cannot be told, with the OS
// error number in `error`.
String PathBehindLinks(const String& path, int& error);

// The item for a path, existing or not. The path mode is accepted for its callers' sake:
// native paths are the only kind there is here.
Ref<FolderItem> GetFolderItem(std::string_view path, int pathMode);

// A text file open for writing, buffered. Each line ends with LF. Errors are raised as
// IOException with the OS error number and its reason in French.
class TextOutputStream : public Object {
 public:
  // Creates or empties the file; raises IOException with the OS error when it cannot.
  static Ref<TextOutputStream> Create(const Ref<FolderItem>& file);
  ~TextOutputStream() override;

  void WriteLine(std::string_view text);  // raises IOException when a write fails
  void Flush();                           // raises IOException when a write fails
  // Writes out the buffer and closes the file. After a failed write it only closes the file:
  // what could not be written is dropped, and nothing is raised a second time.
  void Close();

 private:
  explicit TextOutputStream(int descriptor) : fd_(descriptor) {}
  void WriteAll(const char* data, std::size_t size);
  void WriteOut();

  int fd_;
  bool failed_ = false;
  String buffer_;
};

}  // namespace platform
