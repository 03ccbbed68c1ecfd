// `vandrel doctor` through the console launcher, on the stand-in desktop in each of the
// window trees it plays: the chain it prints is the stand-in's, the icons and the data
// folder are counted, nothing moves, and a desktop without a view is a failure with its
// reason.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "product_command.h"
#include "scenario.h"
#include "temp_folder.h"

namespace vandrel::e2e {
namespace {

struct DoctorCase {
  const char* name;
  const wchar_t* layout;
  const char* shape;
  std::vector<std::string> chain;  // class names, top-level window first
  friend void PrintTo(const DoctorCase& c, std::ostream* out) { *out << c.name; }
};

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

std::string Hex(HWND window) {
  char text[24];
  std::snprintf(text, sizeof text, "0x%llX", static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(window)));
  return text;
}

class Doctor : public Scenario, public ::testing::WithParamInterface<DoctorCase> {
 protected:
  void SetUp() override { Begin({15, GetParam().layout}, /*with_product=*/false); }
  void TearDown() override { End(); }

  CommandResult Vandrel(const std::vector<std::wstring>& arguments) const {
    return RunProductCommand(arguments, DataFolderEnvironment(data_), {}, L"vandrel.com");
  }

  TempFolder data_;
};

TEST_P(Doctor, PrintsWhatABugReportNeedsAndMovesNothing) {
  ASSERT_TRUE(ready()) << error();
  const DoctorCase& c = GetParam();
  const bool has_view = !c.chain.empty();
  if (has_view) {
    // Something in the data folder to count: a layout, and what the first figure keeps,
    // a history entry and the display's "original".
    ASSERT_EQ(Vandrel({L"layout", L"save", L"work"}).exit_code, 0u);
    ASSERT_EQ(Vandrel({L"figure", L"left"}).exit_code, 0u);
  }
  const std::vector<Position> before = has_view ? view().Positions() : std::vector<Position>{};
  const DWORD style = has_view ? view().Style() : 0;

  const CommandResult doctor = Vandrel({L"doctor"});
  const std::vector<std::string> lines = Lines(doctor.out);
  ASSERT_GE(lines.size(), 5u) << doctor;
  EXPECT_EQ(lines[0].rfind("Vandrel: ", 0), 0u) << lines[0];
  EXPECT_NE(lines[0].find(", 64-bit"), std::string::npos) << lines[0];
  EXPECT_EQ(lines[1].rfind("Windows: ", 0), 0u) << lines[1];
  EXPECT_NE(lines[1].find(", under Wine "), std::string::npos) << lines[1];
  EXPECT_EQ(lines[2], std::string("Desktop view: ") + (has_view ? "found" : "not found") + ", shape " + c.shape);

  if (!has_view) {
    EXPECT_EQ(doctor.exit_code, 1u) << doctor;
    EXPECT_EQ(Chomped(doctor.err), "doctor: no desktop list view was found") << doctor;
    EXPECT_EQ(lines[3], "Folder view: not asked (no desktop view was read)");
    EXPECT_EQ(lines[4].rfind("Monitor 1\t1024x738\tat 0,0\t", 0), 0u) << lines[4];
    return;
  }
  EXPECT_EQ(doctor.exit_code, 0u) << doctor;
  EXPECT_EQ(doctor.err, "");
  ASSERT_EQ(lines.size(), 11u) << doctor;
  const std::string process = std::to_string(desktop().process().id());
  for (std::size_t i = 0; i < c.chain.size(); ++i) {
    EXPECT_EQ(lines[3 + i].rfind("  " + c.chain[i] + "\t0x", 0), 0u) << lines[3 + i];
    EXPECT_TRUE(lines[3 + i].ends_with("\tprocess " + process)) << lines[3 + i];
  }
  EXPECT_EQ(lines[5], "  SysListView32\t" + Hex(desktop().list_view()) + "\tprocess " + process);
  EXPECT_EQ(lines[6], "Shell: process " + process + ", 64-bit");
  EXPECT_EQ(lines[7], "Icons: 15, auto-arrange off, snap-to-grid off");
  EXPECT_EQ(lines[8],
            "Folder view: none: no shell window owns the desktop's list view (as under Wine or on a stand-in desktop)");
  EXPECT_EQ(lines[9].rfind("Monitor 1\t1024x738\tat 0,0\twork area 1024x738 at 0,0\t96 dpi\tprimary", 0), 0u)
      << lines[9];
  EXPECT_EQ(lines[10].rfind("Data folder: ", 0), 0u) << lines[10];
  EXPECT_TRUE(lines[10].ends_with(": 2 layouts, 1 history entry")) << lines[10];
  EXPECT_EQ(view().Positions(), before);
  EXPECT_EQ(view().Style(), style);
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, Doctor,
    ::testing::Values(DoctorCase{"Progman", L"progman", "progman", {"Progman", "SHELLDLL_DefView"}},
                      DoctorCase{"WorkerW", L"win10", "under a WorkerW", {"WorkerW", "SHELLDLL_DefView"}},
                      DoctorCase{"Win11_24H2", L"24h2", "24H2", {"Progman", "SHELLDLL_DefView"}},
                      DoctorCase{"NoView", L"none", "none", {}}),
    [](const auto& instance) { return std::string(instance.param.name); });

}  // namespace
}  // namespace vandrel::e2e
