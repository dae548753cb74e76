// Sequential text files addressed by unit number, as the shell and the
// computation share them: 15 input, 16 listing, 7 PostScript, 11 measured
// scan, 12 calculated scan.
//
// An input unit holds the whole file and hands it out as records (lines
// without their line end; a trailing carriage return is dropped, so files
// written on Windows read the same; a UTF-8 byte-order mark at the start of
// the file is skipped, as editors on Windows put one there).  What is read is
// bounded: a file larger than kMaxFileBytes or with a line longer than
// kMaxLineBytes is refused (a device such as /dev/zero never ends and holds
// no line end).  An output unit writes records as they come, so that a run
// that stops early leaves everything it wrote so far.
#pragma once

#include <cstddef>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace korva {

enum Unit : int {
  kUnitPostScript = 7,
  kUnitScan = 11,
  kUnitCal = 12,
  kUnitInput = 15,
  kUnitListing = 16,
};

// Largest input or scan file, and longest line, that a unit reads.
constexpr std::size_t kMaxFileBytes = 64u << 20;  // 64 MiB
constexpr std::size_t kMaxLineBytes = 65536;

class InUnit {
 public:
  // Reads the whole file; false when it cannot be opened (or is a directory)
  // or exceeds the limits above; failure() then tells which.
  bool open(const std::string& path);
  // An internal file: the records of a text held in memory.
  void open_text(std::string_view text);
  void close();
  bool is_open() const { return open_; }
  // Why the last open failed, as a phrase such as "the file is larger than
  // 67108864 bytes"; empty when the file could not be opened at all.
  const std::string& failure() const { return failure_; }

  // The next record; false at end of file.
  bool next(std::string& record);
  // Steps back one record (no effect at the start).
  void backspace();
  bool at_end() const { return offset_ >= text_.size(); }
  // Number of records read so far.
  std::size_t position() const { return pos_; }

 private:
  void load(std::string text);

  std::string text_;
  std::size_t offset_ = 0;  // start of the next record; beyond the text at its end
  std::size_t pos_ = 0;
  bool open_ = false;
  std::string failure_;
};

class OutUnit {
 public:
  // Opens with status "replace": an existing file is overwritten.
  bool open(const std::string& path);
  // Collects the output in memory (tests, and runs that need no file).
  void open_memory();
  void close();
  bool is_open() const { return out_ != nullptr; }

  // One record: s followed by a line end.
  void line(std::string_view s);
  // Several records in one write, "/" of a format: each element one line.
  void lines(std::initializer_list<std::string_view> records);
  // Text without a line end (the rest of the record follows later).
  void put(std::string_view s);

  // What an in-memory unit holds, also after it was closed (empty for a
  // file).
  std::string text() const;

 private:
  std::unique_ptr<std::ostream> out_;
  std::ostringstream* memory_ = nullptr;
  std::string kept_;
};

}  // namespace korva
