#include "support/units.hpp"

#include <filesystem>
#include <iterator>

namespace korva {
namespace {

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
