#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "platform/files/files.h"
#include "platform/text/text.h"

namespace platform {

namespace {

constexpr std::size_t kBufferSize = 1 << 16;

IOException ErrorFor(int errorNumber) { return IOException(errorNumber, ReasonOfError(errorNumber)); }

}  // namespace

Ref<TextOutputStream> TextOutputStream::Create(const Ref<FolderItem>& file) {
  const int fd = ::open(file->NativePath().c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) throw ErrorFor(errno);
  Ref<TextOutputStream> stream(new TextOutputStream(fd));
  stream->buffer_.reserve(kBufferSize + 4096);
  return stream;
}

TextOutputStream::~TextOutputStream() {
  if (fd_ >= 0) ::close(fd_);
}

void TextOutputStream::WriteAll(const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(fd_, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      const int error = errno;
      failed_ = true;
      buffer_.clear();
      throw ErrorFor(error);
    }
    data += n;
    size -= static_cast<std::size_t>(n);
  }
}

void TextOutputStream::WriteOut() {
  WriteAll(buffer_.data(), buffer_.size());
  buffer_.clear();
}

void TextOutputStream::WriteLine(std::string_view text) {
  if (fd_ < 0) throw ErrorFor(EBADF);
  if (text.size() >= kBufferSize) {
    // A line longer than the buffer goes out as it stands: a huge value is not copied again.
    WriteOut();
    WriteAll(text.data(), text.size());
    buffer_.push_back('\n');
    return;
  }
  buffer_.append(text);
  buffer_.push_back('\n');
  if (buffer_.size() >= kBufferSize) WriteOut();
}

void TextOutputStream::Flush() {
  if (fd_ < 0) throw ErrorFor(EBADF);
  WriteOut();
}

void TextOutputStream::Close() {
  if (fd_ < 0) return;
  const int fd = fd_;
  if (failed_) {
    fd_ = -1;
    ::close(fd);
    return;
  }
  WriteOut();  // on failure the stream is marked failed and a later Close only closes
  fd_ = -1;
  if (::close(fd) != 0) throw ErrorFor(errno);
}

}  // namespace platform
