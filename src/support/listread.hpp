// Reading numbers from text records: free format ("list-directed") and fixed
// columns.
//
// Free format: one read takes the values of its list in order, from as many
// records as it needs, starting at the next record; what is left of the last
// record is skipped.  Values are separated by blanks (tabs count as blanks)
// or a comma; two commas in a row (or a comma first on the record) give a
// null value that leaves the item unchanged; "r*v" repeats v r times and "r*"
// gives r null values; a slash ends the read and leaves the remaining items
// unchanged.  An integer item takes an optional sign and digits only; a real
// item takes the usual forms (12, 12., .5, -1.5e3, 1.5d3).  Values that are not
// finite (inf, nan) or out of range are bad values: a run must never compute
// with them.
#pragma once

#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <variant>

#include "support/units.hpp"

namespace korva {

enum class ReadStatus { ok, end_of_file, bad_value };

using ListItem = std::variant<int*, float*, double*>;

// One free-format read whose list is not known in advance (a count read
// first decides how many values follow): items are taken one at a time, the
// first starting at the next record.
class ListReader {
 public:
  explicit ListReader(InUnit& in) : in_(in) {}
  ReadStatus get(const ListItem& item);
  // True after a slash: the remaining items of the read stay unchanged.
  bool ended() const { return slash_; }

 private:
  InUnit& in_;
  std::string rec_;
  std::size_t pos_ = 0;
  bool have_record_ = false;
  bool after_separator_ = true;  // a comma here is a null value
  bool slash_ = false;
  std::string repeat_value_;     // value of an r*v still being handed out
  long long repeat_left_ = 0;
  bool repeat_null_ = false;
};

ReadStatus read_list(InUnit& in, std::span<const ListItem> items);
ReadStatus read_list(InUnit& in, std::initializer_list<ListItem> items);
// An internal read from one text (for example a record already read as
// text); running out of values there is end of file.
ReadStatus read_list(std::string_view text, std::initializer_list<ListItem> items);

// Columns first..last (1-based, inclusive) of a record; columns beyond its
// end read as blanks.
std::string columns(std::string_view record, int first, int last);

// Fixed-column numbers: Fw.d and Iw read of one field.  A blank field reads
// as 0; embedded blanks are ignored; a field without a decimal point has d
// implied decimals (F10.4 of "12345" is 1.2345).  False on anything else.
bool read_fixed_real(std::string_view field, int d, float& value);
bool read_fixed_int(std::string_view field, int& value);

}  // namespace korva
