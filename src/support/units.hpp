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
// no line end).  An output unit either writes in place or builds a new file
// beside the old one and puts it in place only when it is complete, so that a
// run that fails never destroys an earlier result.
#pragma once

#include <cstddef>
#include <initializer_list>
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
  // The name given to open; empty for an internal file.
  const std::string& path() const { return path_; }
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
  std::string path_;
  std::string failure_;
};

class OutUnit {
 public:
  OutUnit() = default;
  ~OutUnit() { close(); }
  OutUnit(const OutUnit&) = delete;
  OutUnit& operator=(const OutUnit&) = delete;

  // Opens with status "replace", in place: an existing file is emptied at
  // once.  For the listing, which is the run's own record.
  bool open(const std::string& path);
  // Opens with status "replace" without touching the earlier file: the
  // records go to a temporary file in the same folder, which takes the
  // earlier file's place at commit().  Names are followed through symbolic
  // links.  An existing device or pipe is written in place.  Refused for a
  // new file in a device folder.
  bool open_replacing(const std::string& path);
  // Collects the output in memory (tests, and runs that need no file).
  void open_memory();
  // Writes out what is buffered; false when a write has failed.
  bool flush();
  // Writes out everything and, for a unit opened with open_replacing, puts
  // the file in its place.  False when anything failed; error() says why and
  // the earlier file is as it was.
  bool commit();
  // The end-of-file mark: later records are dropped, the unit stays open
  // for commit().
  void end_file() { ended_ = true; }
  // Closes the unit.  A replacing unit that was not committed leaves the
  // earlier file as it was and removes its temporary file.
  void close();
  bool is_open() const { return fd_ >= 0 || memory_open_; }

  // A progressive unit writes every record at once, so that a run that is
  // ended by force leaves what it wrote so far, and keeps the last message
  // for a report elsewhere: the records after the last empty ones, at most
  // the last three.
  void set_progressive(bool on) { progressive_ = on; }
  // Those records, each without its outer blanks, in one line.
  std::string last_message() const;

  // One record: s followed by a line end.
  void line(std::string_view s);
  // Several records in one write, "/" of a format: each element one line.
  void lines(std::initializer_list<std::string_view> records);
  // Text without a line end (the rest of the record follows later).
  void put(std::string_view s);

  // True once a write (or the commit) has failed; later records are dropped.
  bool failed() const { return !error_.empty(); }
  // Why opening, writing or committing failed (the system's text).
  const std::string& error() const { return error_; }
  // The name given to open or open_replacing; empty in memory.
  const std::string& path() const { return path_; }

  // What an in-memory unit holds, also after it was closed (empty for a
  // file).
  std::string text() const { return memory_; }

 private:
  void reset(const std::string& path);
  void fail(int err);
  void keep_block(std::string_view record);

  int fd_ = -1;
  bool memory_open_ = false;
  std::string memory_;
  std::string buffer_;
  std::string path_;
  std::string temp_;    // temporary file of a replacing unit until commit()
  std::string target_;  // the file it replaces
  std::string error_;
  bool progressive_ = false;
  bool ended_ = false;
  std::vector<std::string> block_;
  bool block_done_ = false;  // an empty record followed the block
};

}  // namespace korva
