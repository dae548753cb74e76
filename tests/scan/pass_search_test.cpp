#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "scan/event_listing.hpp"
#include "scan/pass_search.hpp"
#include "scan_setup.hpp"
#include "testing/run_text.hpp"

namespace korva {
namespace {

StructureFactorSource constant_factor(float f) {
  return [f](int, int, int, float, std::vector<std::string>*) { return StructureFactor{f, 0.5f, 0.0f, false}; };
}

StructureFactorSource patterned() {
  return [](int h, int k, int l, float, std::vector<std::string>*) { return testing::patterned_factor(h, k, l); };
}

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> out;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    out.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return out;
}

// Every solution of the pass, in the order of the enumeration.
std::vector<float> all_solutions(const PassGeometry& geo) {
  std::vector<float> psi;
  for (int h = -geo.hmax; h <= geo.hmax; ++h)
    for (int k = -geo.kmax; k <= geo.kmax; ++k)
      for (int l = -geo.lmax; l <= geo.lmax; ++l) {
        EventGeometry ev;
        if ((h || k || l) && locate_event(geo, h, k, l, ev)) psi.insert(psi.end(), ev.psi.begin(), ev.psi.end());
      }
  return psi;
}

TEST(PassSearch, ATouchingPointCountsOnceAsAPointAndTwiceInRange) {
  testing::PreparedRun pr(testing::CrystalLines{});
  ASSERT_TRUE(pr.ok);
  Params& p = pr.run.par;
  p.psia = -1.0f;
  p.psie = 1.0f;
  p.zsw1 = -1.0f;
  p.drumin = 0.0f;
  // The exact pass: 1/lambda = 1.25, |H|/2 = 0.75, rho = 1, H = (0 0 2)
  // with c*^2 = 0.5625.  Along a*: (+-1 0 0) cross at +-60 and 180 -+ 60
  // degrees, (+-2 0 0) touch at 0 and 180.
  PassGeometry geo;
  geo.metric = {{{1, 0, 0}, {0, 1, 0}, {0, 0, 0.5625}}};
  geo.hkl = {0, 0, 2};
  geo.gh = {0, 0, 1.125};
  geo.hnorm = 1.5;
  geo.half_h = 0.75;
  geo.d = 1.0 / 1.5;
  geo.lambda = 0.8;
  geo.inv_lambda = 1.25;
  geo.inv_lambda2 = 1.5625;
  geo.rho = 1.0;
  geo.u = {1, 0, 0};
  geo.unorm = 1.0;
  geo.hmax = 2;
  const PrimaryReflection prim = primary_reflection(pr.run, geo, p.dlam1, 1.0f);
  SearchOptions opt;
  opt.structure_factor = constant_factor(10.0f);
  FactorCache cache;
  PassResult out;
  ASSERT_TRUE(search_pass(pr.run, geo, prim, opt, cache, true, out));
  EXPECT_EQ(out.points, 4);
  EXPECT_EQ(out.in_range, 2);
  EXPECT_TRUE(out.records.empty());  // drumin 0 prints nothing
}

TEST(PassSearch, CountsAndRecordsOfAPass) {
  testing::CrystalLines c;
  c.line6 = "-40 -20 10 0 1.0 0";
  testing::PreparedRun pr(c);
  ASSERT_TRUE(pr.ok);
  const Params& p = pr.run.par;
  const PassGeometry geo = make_pass_geometry(p, p.alam1, 23.5f);  // as if from an orientation matrix
  const PrimaryReflection prim = primary_reflection(pr.run, geo, p.dlam1, p.flam1);
  SearchOptions opt;
  opt.structure_factor = patterned();
  FactorCache cache;
  PassResult out;
  ASSERT_TRUE(search_pass(pr.run, geo, prim, opt, cache, true, out)) << testing::last_line(pr.listing());

  // Independent counts from the geometry alone.
  const std::vector<float> psi = all_solutions(geo);
  EXPECT_EQ(2 * out.points, static_cast<long long>(psi.size()));
  const long long in_range =
      std::count_if(psi.begin(), psi.end(), [&](float v) { return in_window(v, p.psia, p.psie); });
  EXPECT_EQ(out.in_range, in_range);

  // Records: only in the window, above drumin, with the curve values.
  ASSERT_GT(out.records.size(), 10u);
  ASSERT_LE(out.records.size(), 600u);
  int margin = 0;
  for (const EventRecord& r : out.records) {
    EXPECT_TRUE(in_window(r.psi, p.psia, p.psie));
    EXPECT_GE(std::max(r.ikorva, r.iaufhe) / r.fwhm, p.drumin);
    EXPECT_EQ(r.hc, 8.0f - r.hg);
    EXPECT_EQ(r.lc, 2.0f - r.lg);
    EXPECT_EQ(r.curve[2], static_cast<float>(geo.hnorm * geo.hnorm));
    const float expect_class = r.fg < 0.001f ? 2.0f : (r.fc < 0.001f ? 3.0f : 0.0f);
    EXPECT_EQ(r.curve[5], expect_class);
    // The psi-lambda curve of the event passes through it at the wavelength
    // of the pass: psi = e1 +- arccos((e2 - e4) / (2 sqrt(e5 (1/lambda^2 - e3/4)))).
    const double q2 = 1.0 / (static_cast<double>(p.alam1) * p.alam1);
    const double x = std::acos((r.curve[1] - r.curve[3]) * 0.5 / std::sqrt(r.curve[4] * (q2 - r.curve[2] / 4.0)));
    double psi = (r.curve[0] + (r.solution == 1.0f ? x : -x)) * 180.0 / M_PI;
    psi = psi > 180.0 ? psi - 360.0 : (psi < -180.0 ? psi + 360.0 : psi);
    EXPECT_NEAR(psi, r.psi, 2e-3) << r.hg << " " << r.kg << " " << r.lg;
    margin += r.psi < p.psia || r.psi > p.psie;
  }
  EXPECT_GT(margin, 0);

  // Records of the margin are kept but not printed.
  Io io;
  korva::Run listing_run(io);
  listing_run.par = p;
  io.listing.open_memory();
  list_events(listing_run, out.records);
  const auto rows = lines_of(io.listing.text());
  EXPECT_EQ(rows.size(), out.records.size() - static_cast<std::size_t>(margin));
  for (const std::string& row : rows) {
    const float psi_row = std::stof(row.substr(row.size() - 9));
    EXPECT_TRUE(psi_row >= p.psia && psi_row <= p.psie) << row;
  }
}

TEST(PassSearch, The601stPrintableEventEndsTheRun) {
  testing::CrystalLines c;
  c.cell = "7.1 9.3 5.4 85 97 102";
  c.radiation = "Mo";
  c.primary = "1 2 3 1.5 0 0 0";
  c.line6 = "-180 180 -1 0 1e-30 0";
  testing::PreparedRun pr(c);
  ASSERT_TRUE(pr.ok) << pr.listing();
  Params& p = pr.run.par;
  const PassGeometry geo = make_pass_geometry(p, p.alam1, 0.0f);
  const PrimaryReflection prim = primary_reflection(pr.run, geo, p.dlam1, p.flam1);
  std::vector<float> psi = all_solutions(geo);
  std::sort(psi.begin(), psi.end());
  ASSERT_GT(psi.size(), 700u);
  ASSERT_GT(psi[600] - psi[599], 1e-3f);
  ASSERT_GT(psi[601] - psi[600], 1e-3f);

  // Window: everything below psie + 5.
  p.psia = -200.0f;
  for (int allowed : {600, 601}) {
    Io io;
    korva::Run run(io);
    io.listing.open_memory();
    run.par = p;
    run.par.psie = 0.5f * (psi[allowed - 1] + psi[allowed]) - 5.0f;
    SearchOptions opt;
    opt.structure_factor = constant_factor(10.0f);
    opt.threads = 2;
    FactorCache cache;
    PassResult out;
    const bool ok = search_pass(run, geo, prim, opt, cache, false, out);
    if (allowed == 600) {
      EXPECT_TRUE(ok);
      EXPECT_EQ(out.records.size(), 600u);
      EXPECT_EQ(io.listing.text(), "");
    } else {
      EXPECT_FALSE(ok);
      EXPECT_EQ(io.iostat, 1);
      EXPECT_EQ(io.listing.text(),
                " the number of output lines is to large\n please increase drumin on the seventh input line\n");
    }
  }
}

// Messages of the structure-factor computations reach the listing in the
// order of the enumeration, G before H - G, repeated for a reflection met
// again; a failed computation ends the search after its messages.
TEST(PassSearch, StructureFactorMessagesInEnumerationOrderAndFailureEndsTheSearch) {
  testing::CrystalLines c;
  c.line6 = "-66 16 50 0 1 0";
  testing::PreparedRun pr(c);
  ASSERT_TRUE(pr.ok);
  const Params& p = pr.run.par;
  const PassGeometry geo = make_pass_geometry(p, p.alam1, 0.0f);
  const PrimaryReflection prim = primary_reflection(pr.run, geo, p.dlam1, p.flam1);
  auto talks = [](int h, int k, int l) { return (h * 3 + k * 5 + l * 7) % 23 == 0; };
  auto name = [](int h, int k, int l) {
    return " note " + std::to_string(h) + " " + std::to_string(k) + " " + std::to_string(l);
  };

  // The expected listing, from a plain walk; the 40th talking reflection fails.
  std::vector<std::string> expected;
  std::array<int, 3> failing{};
  int talking = 0;
  bool stop = false;
  for (int h = -geo.hmax; h <= geo.hmax && !stop; ++h)
    for (int k = -geo.kmax; k <= geo.kmax && !stop; ++k)
      for (int l = -geo.lmax; l <= geo.lmax && !stop; ++l) {
        EventGeometry ev;
        if (!(h || k || l) || !locate_event(geo, h, k, l, ev)) continue;
        if (!in_window(ev.psi[0], p.psia, p.psie) && !in_window(ev.psi[1], p.psia, p.psie)) continue;
        for (const auto& r : {ev.g, ev.c}) {
          if (!talks(r[0], r[1], r[2])) continue;
          expected.push_back(name(r[0], r[1], r[2]));
          if (++talking == 40) {
            failing = r;
            stop = true;
            break;
          }
        }
      }
  ASSERT_TRUE(stop);

  StructureFactorSource source = [&](int h, int k, int l, float, std::vector<std::string>* messages) {
    StructureFactor sf = testing::patterned_factor(h, k, l);
    if (talks(h, k, l)) messages->push_back(name(h, k, l));
    if (std::array<int, 3>{h, k, l} == failing) sf.failed = true;
    return sf;
  };
  for (int threads : {1, 2}) {
    Io io;
    korva::Run run(io);
    io.listing.open_memory();
    run.par = p;
    run.sc = pr.run.sc;
    SearchOptions opt;
    opt.structure_factor = source;
    opt.threads = threads;
    FactorCache cache;
    PassResult out;
    EXPECT_FALSE(search_pass(run, geo, prim, opt, cache, true, out));
    EXPECT_TRUE(run.report.stopped());
    EXPECT_EQ(lines_of(io.listing.text()), expected) << threads << " threads";
  }
}

// A whole run through the passes and the end of the run, on one thread and
// on two, with messages, interference term and two wavelength lines.
std::string whole_run(int threads, testing::RunResult& result, int nnn) {
  testing::CrystalLines c;
  c.cell = "9.5 9.5 9.5 90 90 90";
  c.radiation = "Mo";
  c.line6 = "-30 -10 20 " + std::to_string(nnn) + " 5.0 0";
  testing::PreparedRun pr(c);
  EXPECT_TRUE(pr.ok);
  SearchOptions opt;
  opt.threads = threads;
  opt.structure_factor = [](int h, int k, int l, float, std::vector<std::string>* messages) {
    if ((h + 2 * k + 3 * l) % 97 == 0) messages->push_back(" remark on " + std::to_string(h));
    return testing::patterned_factor(h, k, l);
  };
  EXPECT_TRUE(compute_passes_with(pr.run, opt)) << pr.listing();
  std::string calname;
  finish_run(pr.run, pr.dname2, calname, pr.dname1);
  result.listing = testing::without_clock(pr.io.listing.text());
  result.cal = pr.io.cal.text();
  result.calname = calname;
  return result.listing;
}

TEST(PassSearch, ResultsDoNotDependOnTheNumberOfThreads) {
  for (int nnn : {0, 2}) {
    testing::RunResult one, two;
    whole_run(1, one, nnn);
    whole_run(2, two, nnn);
    EXPECT_EQ(one.listing, two.listing);
    EXPECT_EQ(one.cal, two.cal);
    EXPECT_NE(one.listing.find(" remark on "), std::string::npos);
    EXPECT_NE(one.listing.find("  i-o"), std::string::npos);
    EXPECT_NE(one.listing.find("  o-i"), std::string::npos);
    EXPECT_EQ(lines_of(one.cal).size(), 401u);  // (30 - 10) * 20 + 1 points
    EXPECT_NE(one.listing.find(" (K-alpha1 + K-alpha2) with intensity > "), std::string::npos);
  }
}

TEST(PassSearch, ThreadCountFromTheEnvironment) {
  const char* saved = std::getenv("KORVA_THREADS");
  const std::string keep = saved ? saved : "";
  setenv("KORVA_THREADS", "1", 1);
  EXPECT_EQ(threads_from_environment(), 1);
  setenv("KORVA_THREADS", "3", 1);
  EXPECT_EQ(threads_from_environment(), 3);
  setenv("KORVA_THREADS", "two", 1);
  EXPECT_GE(threads_from_environment(), 1);
  setenv("KORVA_THREADS", "0", 1);
  EXPECT_GE(threads_from_environment(), 1);
  if (saved) setenv("KORVA_THREADS", keep.c_str(), 1);
  else unsetenv("KORVA_THREADS");
}

}  // namespace
}  // namespace korva
