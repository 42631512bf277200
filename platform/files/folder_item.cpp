#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>

#include "platform/files/files.h"
#include "platform/text/text.h"

namespace platform {

namespace {

String NormalisedPath(std::string_view path) {
  String p(path);
  while (p.size() > 1 && p.back() == '/') p.pop_back();
  return p;
}

String LastComponent(const String& path) {
  if (path == "/") return path;
  const std::size_t slash = path.rfind('/');
  return slash == String::npos ? path : path.substr(slash + 1);
}

// lstat of the path. A path longer than the system takes is looked at from its folder, when
// the folder's own path is not too long: an entry that a folder lists is there to be seen.
// 0, or the OS error number.
int LookAt(const String& path, struct stat& st) {
  if (::lstat(path.c_str(), &st) == 0) return 0;
  if (errno != ENAMETOOLONG) return errno;
  const std::size_t slash = path.rfind('/');
  if (slash == String::npos || slash == 0) return ENAMETOOLONG;
  const int folder = ::open(path.substr(0, slash).c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
  if (folder < 0) return errno;
  const int error = ::fstatat(folder, path.c_str() + slash + 1, &st, AT_SYMLINK_NOFOLLOW) == 0 ? 0 : errno;
  ::close(folder);
  return error;
}

// The link's text, however long.
int ReadLink(const String& path, std::size_t sizeHint, String& target) {
  for (std::size_t size = std::max<std::size_t>(sizeHint + 1, 256);; size *= 2) {
    target.resize(size);
    const ssize_t n = ::readlink(path.c_str(), target.data(), size);
    if (n < 0) return errno;
    if (static_cast<std::size_t>(n) < size) {
      target.resize(static_cast<std::size_t>(n));
      return 0;
    }
    if (size > PATH_MAX) return ENAMETOOLONG;
  }
}

FileIdentity IdentityIn(const struct stat& st) {
  return FileIdentity{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

std::optional<FileIdentity> IdentityOf(const String& path) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return std::nullopt;
  return IdentityIn(st);
}

// "stem (n).ext" for "stem.ext"; a leading dot does not start an extension.
String NumberedName(const String& name, int n) {
  const std::size_t dot = name.rfind('.');
  const String suffix = " (" + std::to_string(n) + ")";
  if (dot == String::npos || dot == 0) return name + suffix;
  return name.substr(0, dot) + suffix + name.substr(dot);
}

}  // namespace

FolderItem::FolderItem(std::string_view path)
    : path_(NormalisedPath(path)), name_(LastComponent(path_)) {}

FolderItem::FolderItem(String path, String name, std::shared_ptr<const Enclosing> enclosing)
    : path_(std::move(path)), name_(std::move(name)), enclosing_(std::move(enclosing)) {}

bool FolderItem::Exists() const {
  struct stat st;
  const int error = LookAt(path_, st);
  return error == 0 || !LeadsNowhere(error);
}

bool FolderItem::Directory() const {
  struct stat st;
  return ::stat(path_.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

void FolderItem::ReadEntries() {
  entries_.emplace();
  current_ = nullptr;
  currentIndex_ = 0;
  lastError_ = 0;
  DIR* dir = ::opendir(path_.c_str());
  if (!dir) {
    lastError_ = errno;
    return;
  }
  Entries& entries = *entries_;
  // The folder listed is the one that its entries are reached through, by whatever path.
  struct stat self;
  entries.enclosing = ::fstat(::dirfd(dir), &self) == 0
                          ? std::make_shared<const Enclosing>(Enclosing{IdentityIn(self), enclosing_})
                          : enclosing_;
  for (;;) {
    errno = 0;
    const dirent* entry = ::readdir(dir);
    if (!entry) {
      lastError_ = errno;  // 0 at the end of the entries
      break;
    }
    const std::string_view name = entry->d_name;
    if (name == "." || name == "..") continue;
    entries.starts.push_back(entries.names.size());
    entries.names.append(name).push_back('\0');
  }
  ::closedir(dir);
  entries.names.shrink_to_fit();
  entries.starts.shrink_to_fit();
  const char* const names = entries.names.data();
  std::sort(entries.starts.begin(), entries.starts.end(),
            [names](std::size_t a, std::size_t b) { return std::strcmp(names + a, names + b) < 0; });
}

std::int64_t FolderItem::Count() {
  if (!entries_) ReadEntries();
  return static_cast<std::int64_t>(entries_->starts.size());
}

Ref<FolderItem> FolderItem::Item(std::int64_t index) {
  if (!entries_) ReadEntries();
  if (index < 1 || index > static_cast<std::int64_t>(entries_->starts.size())) return nullptr;
  if (index != currentIndex_) {
    String name(entries_->names.data() + entries_->starts[static_cast<std::size_t>(index - 1)]);
    String path = path_ == "/" ? path_ + name : path_ + "/" + name;
    current_ = Ref<FolderItem>(new FolderItem(std::move(path), std::move(name), entries_->enclosing));
    currentIndex_ = index;
  }
  return current_;
}

bool FolderItem::RevisitsEnclosingFolder() const {
  if (!enclosing_) return false;
  const auto self = IdentityOf(path_);
  if (!self) return false;
  for (const Enclosing* folder = enclosing_.get(); folder; folder = folder->outer.get())
    if (folder->identity == *self) return true;
  return false;
}

String FolderItem::LastErrorMessage() const { return lastError_ ? ReasonOfError(lastError_) : String(); }

Ref<FolderItem> FolderItem::CreateUniqueFile(const String& name) {
  const String folder = path_ == "/" ? String() : path_;
  lastError_ = 0;
  for (int n = 1; n < 10000; ++n) {
    String target = folder + "/" + (n == 1 ? name : NumberedName(name, n));
    const int fd = ::open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) {
      ::close(fd);
      return New<FolderItem>(target);
    }
    if (errno != EEXIST) break;
  }
  lastError_ = errno;
  return nullptr;
}

bool FolderItem::SameFileAs(const Ref<FolderItem>& other) const {
  if (!other) return false;
  const auto self = IdentityOf(path_);
  return self && self == IdentityOf(other->path_);
}

void FolderItem::CreateAsFolder() {
  lastError_ = ::mkdir(path_.c_str(), 0777) == 0 || errno == EEXIST ? 0 : errno;
}

Ref<FolderItem> GetFolderItem(std::string_view path, int /*pathMode*/) { return New<FolderItem>(path); }

bool LeadsNowhere(int error) { return error == ENOENT || error == ENOTDIR || error == ELOOP; }

String PathBehindLinks(const String& path, int& error) {
  constexpr int kMostLinks = 40;  // as the system follows, before it says ELOOP
  String current = path;
  for (int links = 0;; ++links) {
    struct stat st;
    error = LookAt(current, st);
    if (error != 0) return String();
    if (!S_ISLNK(st.st_mode)) return current;
    String target;
    error = links == kMostLinks ? ELOOP : ReadLink(current, static_cast<std::size_t>(st.st_size), target);
    if (error != 0) return String();
    if (!target.starts_with('/')) {
      // A relative target is relative to the folder that holds the link ("" for "/").
      const std::size_t slash = current.rfind('/');
      target = (slash == String::npos ? String(".") : current.substr(0, slash)) + "/" + target;
    }
    current = std::move(target);
  }
}

}  // namespace platform
