// Sequential text files addressed by unit number, as the shell and the
// computation share them: 15 input, 16 listing, 7 PostScript, 11 measured
// scan, 12 calculated scan.
//
// An input unit holds the whole file as records (lines without their line
// end; a trailing carriage return is dropped, so files written on Windows
// read the same).  An output unit writes records as they come, so that a run
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

class InUnit {
 public:
  // Reads the whole file; false when it cannot be opened (or is a directory).
  bool open(const std::string& path);
  // An internal file: the records of a text held in memory.
  void open_text(std::string_view text);
  void close();
  bool is_open() const { return open_; }

  // The next record; false at end of file.
  bool next(std::string& record);
  // Steps back one record (no effect at the start).
  void backspace();
  bool at_end() const { return pos_ >= records_.size(); }
  std::size_t position() const { return pos_; }

 private:
  std::vector<std::string> records_;
  std::size_t pos_ = 0;
  bool open_ = false;
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
