#include "support/units.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <string_view>
#include <utility>

#include "support/files.hpp"

namespace korva {
namespace {

// Records are written out in pieces of about this size.
constexpr std::size_t kBufferSize = 1 << 16;

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

}  // namespace

void InUnit::load(std::string text) {
  close();
  text_ = std::move(text);
  if (std::string_view(text_).substr(0, kByteOrderMark.size()) == kByteOrderMark) offset_ = kByteOrderMark.size();
  open_ = true;
}

bool InUnit::open(const std::string& path) {
  close();
  path_ = path;
  failure_.clear();
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) return false;
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  // Read in pieces, checking the limits as the text grows, so that an
  // endless device is given up after at most kMaxFileBytes.
  std::string text;
  std::size_t line_start = 0, line_no = 1;
  char buf[1 << 16];
  while (in) {
    in.read(buf, sizeof buf);
    const std::size_t n = static_cast<std::size_t>(in.gcount());
    if (n == 0) break;
    if (text.size() + n > kMaxFileBytes) {
      failure_ = "the file is larger than " + std::to_string(kMaxFileBytes) + " bytes";
      return false;
    }
    const std::size_t old = text.size();
    text.append(buf, n);
    for (std::size_t i = old; i <= text.size(); ++i) {
      const bool end = i == text.size();
      if (!end && text[i] != '\n') continue;
      if (i - line_start > kMaxLineBytes) {
        failure_ = "line " + std::to_string(line_no) + " of the file is longer than " +
                   std::to_string(kMaxLineBytes) + " characters";
        return false;
      }
      if (end) break;
      line_start = i + 1;
      ++line_no;
    }
  }
  if (in.bad()) return false;
  load(std::move(text));
  return true;
}

void InUnit::open_text(std::string_view text) {
  path_.clear();
  load(std::string(text));
}

void InUnit::close() {
  text_.clear();
  offset_ = 0;
  pos_ = 0;
  open_ = false;
}

bool InUnit::next(std::string& record) {
  if (offset_ >= text_.size()) return false;
  std::size_t end = text_.find('\n', offset_);
  if (end == std::string::npos) end = text_.size();
  std::string_view rec = std::string_view(text_).substr(offset_, end - offset_);
  if (!rec.empty() && rec.back() == '\r') rec.remove_suffix(1);
  record.assign(rec);
  offset_ = end + 1;
  ++pos_;
  return true;
}

void InUnit::backspace() {
  if (pos_ == 0) return;
  --pos_;
  // The record before ends at offset_ - 1 (its line end, or the end of a
  // text without a final line end) and starts after the line end before it.
  const std::size_t end = offset_ - 1;
  const std::size_t before = end == 0 ? std::string::npos : text_.rfind('\n', end - 1);
  offset_ = before == std::string::npos ? 0 : before + 1;
  if (pos_ == 0 && std::string_view(text_).substr(0, kByteOrderMark.size()) == kByteOrderMark)
    offset_ = kByteOrderMark.size();
}

bool OutUnit::open(const std::string& path) {
  reset(path);
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) {
    fail(EISDIR);
    return false;
  }
  fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd_ < 0) {
    fail(errno);
    return false;
  }
  return true;
}

bool OutUnit::open_replacing(const std::string& path) {
  reset(path);
  const std::string target = resolved_name(path);
  struct stat old {};
  const bool exists = ::stat(target.c_str(), &old) == 0;
  if (exists && S_ISDIR(old.st_mode)) {
    fail(EISDIR);
    return false;
  }
  if (exists && !S_ISREG(old.st_mode)) {
    fd_ = ::open(target.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (fd_ < 0) fail(errno);
    return fd_ >= 0;
  }
  if (!device_folder(target).empty()) {
    error_ = "a file cannot be created in " + device_folder(target);
    return false;
  }
  const std::filesystem::path t(target);
  std::random_device random;
  for (int attempt = 0; attempt < 100; ++attempt) {
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, ".%08x", static_cast<unsigned>(random()));
    // Built by appending: prepending to a temporary makes GCC 12 warn of an
    // overlapping copy that cannot happen (-Wrestrict).
    std::string hidden(1, '.');
    hidden += t.filename().string();
    hidden += suffix;
    const std::string temp = (t.parent_path() / hidden).string();
    fd_ = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd_ >= 0) {
      // The new file keeps the permissions of the one it replaces.
      if (exists) (void)::fchmod(fd_, old.st_mode & 07777);
      temp_ = temp;
      target_ = target;
      return true;
    }
    if (errno != EEXIST) break;
  }
  fail(errno);
  return false;
}

void OutUnit::open_memory() {
  reset({});
  memory_open_ = true;
}

void OutUnit::reset(const std::string& path) {
  close();
  memory_.clear();
  error_.clear();
  block_.clear();
  block_done_ = false;
  ended_ = false;
  path_ = path;
}

void OutUnit::fail(int err) {
  if (error_.empty()) error_ = std::strerror(err);
  buffer_.clear();
}

bool OutUnit::flush() {
  std::size_t done = 0;
  while (fd_ >= 0 && error_.empty() && done < buffer_.size()) {
    const ssize_t n = ::write(fd_, buffer_.data() + done, buffer_.size() - done);
    if (n > 0) done += static_cast<std::size_t>(n);
    else if (n < 0 && errno != EINTR) fail(errno);
    else if (n == 0) fail(EIO);
  }
  buffer_.clear();
  return error_.empty();
}

bool OutUnit::commit() {
  if (memory_open_ || fd_ < 0) return error_.empty();
  flush();
  // Written out to the disk before the name moves, so that a crash leaves
  // either the earlier file or the complete new one.
  if (error_.empty() && !temp_.empty() && ::fsync(fd_) != 0) fail(errno);
  if (::close(fd_) != 0 && error_.empty()) fail(errno);
  fd_ = -1;
  if (!temp_.empty()) {
    if (error_.empty() && ::rename(temp_.c_str(), target_.c_str()) != 0) fail(errno);
    if (!error_.empty()) ::unlink(temp_.c_str());
    temp_.clear();
  }
  return error_.empty();
}

void OutUnit::close() {
  if (fd_ >= 0) {
    if (temp_.empty()) flush();
    ::close(fd_);
    fd_ = -1;
  }
  if (!temp_.empty()) {
    ::unlink(temp_.c_str());
    temp_.clear();
  }
  memory_open_ = false;
  buffer_.clear();
}

void OutUnit::keep_block(std::string_view record) {
  // A failure message has at most three records; not every one follows an
  // empty record, so a longer block is listing, not message.
  constexpr std::size_t kMaxBlock = 3;
  // Empty records after a message still leave it the last one.
  if (record.find_first_not_of(' ') == std::string_view::npos) {
    block_done_ = true;
    return;
  }
  if (block_done_) block_.clear();
  block_done_ = false;
  if (block_.size() == kMaxBlock) block_.erase(block_.begin());
  block_.emplace_back(record);
}

std::string OutUnit::last_message() const {
  std::string out;
  for (const std::string& r : block_) {
    const std::size_t first = r.find_first_not_of(' ');
    const std::size_t last = r.find_last_not_of(' ');
    if (!out.empty()) out += ' ';
    out.append(r, first, last - first + 1);
  }
  return out;
}

void OutUnit::line(std::string_view s) {
  if (!is_open() || ended_) return;
  if (progressive_) keep_block(s);
  if (memory_open_) {
    memory_.append(s).push_back('\n');
    return;
  }
  if (!error_.empty()) return;
  buffer_.append(s).push_back('\n');
  if (progressive_ || buffer_.size() >= kBufferSize) flush();
}

void OutUnit::lines(std::initializer_list<std::string_view> records) {
  for (std::string_view r : records) line(r);
}

void OutUnit::put(std::string_view s) {
  if (ended_) return;
  if (memory_open_) memory_.append(s);
  else if (fd_ >= 0 && error_.empty()) buffer_.append(s);
}

}  // namespace korva
