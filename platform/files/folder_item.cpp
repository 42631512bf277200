#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/files/files.h"

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

std::optional<FileIdentity> IdentityOf(const String& path) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return std::nullopt;
  return FileIdentity{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

// Writes all of data to fd; false on failure.
bool WriteAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

bool CopyContents(int from, int to) {
  char buffer[1 << 16];
  for (;;) {
    const ssize_t n = ::read(from, buffer, sizeof buffer);
    if (n == 0) return true;
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (!WriteAll(to, buffer, static_cast<std::size_t>(n))) return false;
  }
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

FolderItem::FolderItem(String path, String name, std::shared_ptr<const Lineage> enclosing)
    : path_(std::move(path)), name_(std::move(name)), enclosing_(std::move(enclosing)) {}

bool FolderItem::Exists() const {
  struct stat st;
  return ::lstat(path_.c_str(), &st) == 0;
}

bool FolderItem::Directory() const {
  struct stat st;
  return ::stat(path_.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

void FolderItem::ReadEntries() {
  entries_.emplace();
  DIR* dir = ::opendir(path_.c_str());
  if (!dir) return;
  std::vector<String> names;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string_view name = entry->d_name;
    if (name != "." && name != "..") names.emplace_back(name);
  }
  ::closedir(dir);
  std::sort(names.begin(), names.end());

  auto lineage = std::make_shared<Lineage>(enclosing_ ? *enclosing_ : Lineage());
  if (auto self = IdentityOf(path_)) lineage->push_back(*self);
  const String prefix = path_ == "/" ? path_ : path_ + "/";
  entries_->reserve(names.size());
  for (String& name : names) {
    String path = prefix + name;
    entries_->push_back(Ref<FolderItem>(new FolderItem(std::move(path), std::move(name), lineage)));
  }
}

std::int64_t FolderItem::Count() {
  if (!entries_) ReadEntries();
  return static_cast<std::int64_t>(entries_->size());
}

Ref<FolderItem> FolderItem::Item(std::int64_t index) {
  if (!entries_) ReadEntries();
  if (index < 1 || index > static_cast<std::int64_t>(entries_->size())) return nullptr;
  return (*entries_)[static_cast<std::size_t>(index - 1)];
}

bool FolderItem::RevisitsEnclosingFolder() const {
  if (!enclosing_) return false;
  const auto self = IdentityOf(path_);
  return self && std::find(enclosing_->begin(), enclosing_->end(), *self) != enclosing_->end();
}

void FolderItem::CopyFileTo(const Ref<FolderItem>& destination) const {
  if (!destination) return;
  const int from = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (from < 0) return;
  struct stat st;
  if (::fstat(from, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(from);
    return;
  }
  const String folder = destination->NativePath() == "/" ? String() : destination->NativePath();
  String target;
  int to = -1;
  for (int n = 1; to < 0 && n < 10000; ++n) {
    target = folder + "/" + (n == 1 ? name_ : NumberedName(name_, n));
    to = ::open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (to < 0 && errno != EEXIST) break;
  }
  if (to < 0) {
    ::close(from);
    return;
  }
  const bool copied = CopyContents(from, to);
  ::close(from);
  if (::close(to) != 0 || !copied) ::unlink(target.c_str());
}

void FolderItem::CreateAsFolder() const { ::mkdir(path_.c_str(), 0777); }

Ref<FolderItem> GetFolderItem(std::string_view path, int /*pathMode*/) { return New<FolderItem>(path); }

}  // namespace platform
