#include "support/units.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include "support/files.hpp"

namespace korva {
namespace {

// Records are written out in pieces of about this size.
constexpr std::size_t kBufferSize = 1 << 16;

std::vector<std::string> split_records(std::string_view text) {
  std::vector<std::string> records;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view rec = text.substr(start, end - start);
    if (!rec.empty() && rec.back() == '\r') rec.remove_suffix(1);
    records.emplace_back(rec);
    start = end + 1;
  }
  return records;
}

}  // namespace

bool InUnit::open(const std::string& path) {
  close();
  path_ = path;
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) return false;
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  records_ = split_records(text);
  open_ = true;
  return true;
}

void InUnit::open_text(std::string_view text) {
  close();
  path_.clear();
  records_ = split_records(text);
  open_ = true;
}

void InUnit::close() {
  records_.clear();
  pos_ = 0;
  open_ = false;
}

bool InUnit::next(std::string& record) {
  if (pos_ >= records_.size()) return false;
  record = records_[pos_++];
  return true;
}

void InUnit::backspace() {
  if (pos_ > 0) --pos_;
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
