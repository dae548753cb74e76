#include "support/units.hpp"

#include <filesystem>
#include <string>
#include <string_view>
#include <utility>

namespace korva {
namespace {

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

void InUnit::open_text(std::string_view text) { load(std::string(text)); }

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
  close();
  kept_.clear();
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) return false;
  auto file = std::make_unique<std::ofstream>(path, std::ios::binary | std::ios::trunc);
  if (!*file) return false;
  out_ = std::move(file);
  return true;
}

void OutUnit::open_memory() {
  close();
  kept_.clear();
  auto mem = std::make_unique<std::ostringstream>();
  memory_ = mem.get();
  out_ = std::move(mem);
}

void OutUnit::close() {
  if (memory_) kept_ = memory_->str();
  if (out_) out_->flush();
  out_.reset();
  memory_ = nullptr;
}

void OutUnit::line(std::string_view s) {
  if (!out_) return;
  out_->write(s.data(), static_cast<std::streamsize>(s.size()));
  out_->put('\n');
}

void OutUnit::lines(std::initializer_list<std::string_view> records) {
  for (std::string_view r : records) line(r);
}

void OutUnit::put(std::string_view s) {
  if (out_) out_->write(s.data(), static_cast<std::streamsize>(s.size()));
}

std::string OutUnit::text() const { return memory_ ? memory_->str() : kept_; }

}  // namespace korva
