#include "support/listread.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace korva {
namespace {

InUnit unit(const char* text) {
  InUnit in;
  in.open_text(text);
  return in;
}

TEST(FreeFormat, OneReadTakesAsManyRecordsAsItNeedsAndSkipsTheRestOfTheLast) {
  InUnit in = unit("1 2\n3, 4 5 6\n7\n");
  int a = 0, b = 0, c = 0, d = 0;
  ASSERT_EQ(read_list(in, {&a, &b, &c, &d}), ReadStatus::ok);
  EXPECT_EQ(a + b + c + d, 10);
  int next = 0;
  ASSERT_EQ(read_list(in, {&next}), ReadStatus::ok);
  EXPECT_EQ(next, 7);  // 5 and 6 were skipped with their record
  EXPECT_EQ(read_list(in, {&next}), ReadStatus::end_of_file);
}

TEST(FreeFormat, SeparatorsNullValuesRepeatsAndSlash) {
  InUnit in = unit(",2.5,,\t4\n3*1.5 2*\n1 2 / 3\n");
  float a = -1, b = -1, c = -1, d = -1;
  ASSERT_EQ(read_list(in, {&a, &b, &c, &d}), ReadStatus::ok);
  EXPECT_EQ(a, -1.0f);  // leading comma: null
  EXPECT_EQ(b, 2.5f);
  EXPECT_EQ(c, -1.0f);  // two commas in a row: null
  EXPECT_EQ(d, 4.0f);
  float r[5] = {0, 0, 0, 9, 9};
  ASSERT_EQ(read_list(in, {&r[0], &r[1], &r[2], &r[3], &r[4]}), ReadStatus::ok);
  EXPECT_EQ(r[0] + r[1] + r[2], 4.5f);
  EXPECT_EQ(r[3], 9.0f);  // 2*: two null values
  EXPECT_EQ(r[4], 9.0f);
  int x = 0, y = 0, z = 7;
  ASSERT_EQ(read_list(in, {&x, &y, &z}), ReadStatus::ok);
  EXPECT_EQ(z, 7);  // the slash ended the read
}

TEST(FreeFormat, RealFormsAndBadValues) {
  float v[6] = {};
  ASSERT_EQ(read_list("12 12. .5 -1.5e3 1.5d3 +2E-1", {&v[0], &v[1], &v[2], &v[3], &v[4], &v[5]}),
            ReadStatus::ok);
  EXPECT_FLOAT_EQ(v[2], 0.5f);
  EXPECT_FLOAT_EQ(v[3], -1500.0f);
  EXPECT_FLOAT_EQ(v[4], 1500.0f);
  EXPECT_FLOAT_EQ(v[5], 0.2f);
  int i = 0;
  float f = 0;
  EXPECT_EQ(read_list("1.", {&i}), ReadStatus::bad_value);  // an integer has no point
  EXPECT_EQ(read_list("Cu", {&f}), ReadStatus::bad_value);
  EXPECT_EQ(read_list("nan", {&f}), ReadStatus::bad_value);
  EXPECT_EQ(read_list("inf", {&f}), ReadStatus::bad_value);
  EXPECT_EQ(read_list("1e39", {&f}), ReadStatus::bad_value);  // beyond single precision
  EXPECT_EQ(read_list("99999999999", {&i}), ReadStatus::bad_value);
  EXPECT_EQ(read_list("1 2", {&i, &i, &i}), ReadStatus::end_of_file);
  EXPECT_EQ(read_list("", {&f}), ReadStatus::end_of_file);
}

TEST(FreeFormat, ReaderOfUnknownLengthContinuesInTheSameRead) {
  InUnit in = unit("1 2 0.5\n0.25\nnext\n");
  ListReader reader(in);
  int ic = 0, ns = 0;
  ASSERT_EQ(reader.get(&ic), ReadStatus::ok);
  ASSERT_EQ(reader.get(&ns), ReadStatus::ok);
  float t[2] = {};
  for (int k = 0; k < ns; ++k) ASSERT_EQ(reader.get(&t[k]), ReadStatus::ok);
  EXPECT_EQ(t[0] + t[1], 0.75f);
  std::string rec;
  ASSERT_TRUE(in.next(rec));
  EXPECT_EQ(rec, "next");
}

TEST(FixedColumns, BlankFieldsImpliedDecimalsAndBadCharacters) {
  const std::string rec = std::string("Fe3+") + "   -1.1336" + "    3.1974" + "1";
  EXPECT_EQ(columns(rec, 1, 4), "Fe3+");
  EXPECT_EQ(columns(rec, 25, 28), "1   ");  // beyond the record: blanks
  float v = 99;
  ASSERT_TRUE(read_fixed_real(columns(rec, 5, 14), 4, v));
  EXPECT_FLOAT_EQ(v, -1.1336f);
  ASSERT_TRUE(read_fixed_real("          ", 4, v));
  EXPECT_EQ(v, 0.0f);
  ASSERT_TRUE(read_fixed_real("     12345", 4, v));
  EXPECT_FLOAT_EQ(v, 1.2345f);
  ASSERT_TRUE(read_fixed_real(" 1 2 . 5  ", 4, v));  // embedded blanks are ignored
  EXPECT_FLOAT_EQ(v, 12.5f);
  EXPECT_FALSE(read_fixed_real("   1.2x   ", 4, v));
  int i = 5;
  ASSERT_TRUE(read_fixed_int("  ", i));
  EXPECT_EQ(i, 0);
  EXPECT_FALSE(read_fixed_int(" a", i));
}

TEST(Units, RecordsDropCarriageReturnsAndBackspaceStepsBack) {
  InUnit in = unit("first\r\nsecond\n\nlast");
  std::string rec;
  ASSERT_TRUE(in.next(rec));
  EXPECT_EQ(rec, "first");
  ASSERT_TRUE(in.next(rec));
  in.backspace();
  ASSERT_TRUE(in.next(rec));
  EXPECT_EQ(rec, "second");
  ASSERT_TRUE(in.next(rec));
  EXPECT_EQ(rec, "");
  ASSERT_TRUE(in.next(rec));
  EXPECT_EQ(rec, "last");
  EXPECT_FALSE(in.next(rec));

  OutUnit out;
  out.open_memory();
  out.line("a");
  out.close();
  EXPECT_EQ(out.text(), "a\n");  // still readable after closing
}

TEST(Units, LeadingByteOrderMarkIsSkippedAndWhatIsReadIsBounded) {
  InUnit in = unit("\xEF\xBB\xBF" "first\nsecond");
  std::string rec;
  ASSERT_TRUE(in.next(rec));
  EXPECT_EQ(rec, "first");
  in.backspace();  // back to the start: still behind the mark
  ASSERT_TRUE(in.next(rec));
  EXPECT_EQ(rec, "first");
  ASSERT_TRUE(in.next(rec));
  EXPECT_EQ(rec, "second");
  in.backspace();
  ASSERT_TRUE(in.next(rec));
  EXPECT_EQ(rec, "second");
  EXPECT_TRUE(in.at_end());
  in = unit("a\n\xEF\xBB\xBF" "b\n");  // only at the start of the file
  ASSERT_TRUE(in.next(rec) && in.next(rec));
  EXPECT_EQ(rec, "\xEF\xBB\xBF" "b");

  const std::string path = ::testing::TempDir() + "korva-units-limits";
  const auto refused = [&](const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
    InUnit file;
    const bool ok = file.open(path);
    return ok ? std::string() : file.failure();
  };
  const std::string longest(kMaxLineBytes, 'x');
  EXPECT_EQ(refused("1\n" + longest + "x\n"), "line 2 of the file is longer than 65536 characters");
  EXPECT_EQ(refused("1\n" + longest + "\n"), "");
  EXPECT_EQ(refused(std::string(kMaxFileBytes + 1, '\n')), "the file is larger than 67108864 bytes");
  std::filesystem::remove(path);

  InUnit device;  // endless, and without a line end
  EXPECT_FALSE(device.open("/dev/zero"));
  EXPECT_EQ(device.failure(), "line 1 of the file is longer than 65536 characters");
  EXPECT_FALSE(device.open(path));  // gone: no reason beyond that
  EXPECT_EQ(device.failure(), "");
}

}  // namespace
}  // namespace korva
