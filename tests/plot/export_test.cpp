// Conversion of the page to PDF and PNG with Ghostscript.
#include "plot/export.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "plot/page.hpp"
#include "ps_check.hpp"
#include "synthetic_scan.hpp"

namespace korva {
namespace {

namespace fs = std::filesystem;

class Export : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("korva-export-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + "-" +
            std::to_string(getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string write(const std::string& name, const std::string& text) {
    const fs::path p = dir_ / name;
    std::ofstream(p, std::ios::binary) << text;
    return p.string();
  }
  static std::string read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
  }
  static std::string realistic_page() {
    testing::MemoryRun m;
    testing::fill_si222(m.run);
    m.draw("12 . 03 . 26", "14 . 05 . 09");
    return m.io.ps.text();
  }

  fs::path dir_;
};

TEST_F(Export, WithoutGhostscriptFailsClearlyAndWritesNothing) {
  const std::string ps = write("page.ps", realistic_page());
  for (const std::string gs : {"/no/such/dir/gs", "korva-no-such-ghostscript"}) {
    const ExportResult r = export_page(ps, PageFormat::Pdf, gs);
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.gs_missing);
    EXPECT_NE(r.message.find("Ghostscript"), std::string::npos) << r.message;
    EXPECT_FALSE(fs::exists(dir_ / "page.pdf"));
  }
  EXPECT_TRUE(fs::exists(ps));
}

TEST_F(Export, PdfIsALandscapeSheetHoldingTheWholeDrawing) {
  if (!testing::have_gs()) GTEST_SKIP() << "Ghostscript is not installed";
  // A percent sign would be a page-number template in Ghostscript's output
  // name; a leading dash would look like an option.
  const std::string ps = write("-si 100%d.ps", realistic_page());
  const ExportResult r = export_page(ps, PageFormat::Pdf);
  ASSERT_TRUE(r.ok) << r.message;
  EXPECT_EQ(r.output, (dir_ / "-si 100%d.pdf").string());
  EXPECT_EQ(read(r.output).substr(0, 5), "%PDF-");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator{}), 2);

  // The bounding box of what is drawn, measured by Ghostscript on the PDF.
  const fs::path copy = dir_ / "page.pdf";
  fs::copy_file(r.output, copy);
  const std::string cmd = "gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=bbox '" + copy.string() + "' 2>&1";
  FILE* pipe = popen(cmd.c_str(), "r");
  std::string said;
  char buf[1024];
  std::size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, pipe)) > 0) said.append(buf, n);
  pclose(pipe);
  int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  const std::size_t at = said.find("%%BoundingBox:");
  ASSERT_NE(at, std::string::npos) << said;
  ASSERT_EQ(std::sscanf(said.c_str() + at, "%%%%BoundingBox: %d %d %d %d", &x0, &y0, &x1, &y1), 4);
  EXPECT_GE(x0, 0);
  EXPECT_GE(y0, 0);
  EXPECT_LE(x1, 842);
  EXPECT_LE(y1, 595);
  EXPECT_GT(x1 - x0, 700);  // psi panels plus header, left to right
  EXPECT_GT(y1 - y0, 500);  // title down to the psi axis
  EXPECT_GT(x1 - x0, y1 - y0);
}

TEST_F(Export, PngIsALandscapeImage) {
  if (!testing::have_gs()) GTEST_SKIP() << "Ghostscript is not installed";
  const std::string ps = write("page.ps", realistic_page());
  const ExportResult r = export_page(ps, PageFormat::Png);
  ASSERT_TRUE(r.ok) << r.message;
  const std::string png = read(r.output);
  ASSERT_GT(png.size(), 24u);
  EXPECT_EQ(png.substr(0, 8), "\x89PNG\r\n\x1a\n");
  const auto be32 = [&](std::size_t i) {
    return (static_cast<unsigned>(static_cast<unsigned char>(png[i])) << 24) |
           (static_cast<unsigned>(static_cast<unsigned char>(png[i + 1])) << 16) |
           (static_cast<unsigned>(static_cast<unsigned char>(png[i + 2])) << 8) |
           static_cast<unsigned>(static_cast<unsigned char>(png[i + 3]));
  };
  // A4 landscape at 100 dots per inch.
  EXPECT_NEAR(be32(16), 1169.0, 2.0);
  EXPECT_NEAR(be32(20), 826.0, 2.0);
}

TEST_F(Export, BrokenOrEmptyPageLeavesNoOutput) {
  if (!testing::have_gs()) GTEST_SKIP() << "Ghostscript is not installed";
  const std::string broken = write("broken.ps", "%!\n/Times-Roman findfont 14 scalefont setfont\n(a) b) s\nshowpage\n");
  const ExportResult r = export_page(broken, PageFormat::Pdf);
  EXPECT_FALSE(r.ok);
  EXPECT_FALSE(r.gs_missing);
  EXPECT_NE(r.message.find("Ghostscript could not convert"), std::string::npos) << r.message;
  EXPECT_FALSE(fs::exists(dir_ / "broken.pdf"));

  const std::string empty = write("empty.ps", "");
  const ExportResult e = export_page(empty, PageFormat::Png);
  EXPECT_FALSE(e.ok);
  EXPECT_NE(e.message.find("holds no page"), std::string::npos) << e.message;
  EXPECT_FALSE(fs::exists(dir_ / "empty.png"));

  const ExportResult none = export_page((dir_ / "none.ps").string(), PageFormat::Pdf);
  EXPECT_FALSE(none.ok);
  EXPECT_NE(none.message.find("does not exist"), std::string::npos);
}

}  // namespace
}  // namespace korva
