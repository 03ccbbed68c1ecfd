// Layouts end to end, read back from the stand-in's list view: undo by Ctrl+Z in the
// window and by `vandrel undo` once the window has closed; a named layout restored after
// icons came and went, icons told apart by label and occurrence; a corrupt file refused
// before anything moves; the view's own settings put back; and what the command line
// gives scripts. Each test has a data folder of its own.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "buttons.h"
#include "child_process.h"
#include "keyboard.h"
#include "message_box.h"
#include "product.h"
#include "product_command.h"
#include "scenario.h"
#include "temp_folder.h"
#include "window_search.h"

namespace vandrel::e2e {
namespace {

namespace fs = std::filesystem;

// Repeated labels, as copies of one file show on a desktop.
const std::vector<std::string> kLabels = {"Recycle Bin", "Report.docx", "Notes.txt", "Report.docx",
                                          "Photo 1.jpg", "Report.docx", "Notes.txt", "Setup.exe",
                                          "Budget.xlsx", "Photo 2.jpg", "Readme",    "Notes.txt"};

// Places no figure and no Scatter() uses.
Position HandPlace(int i) { return {41 + 97 * (i % 8), 37 + 131 * (i / 8)}; }

struct Icon {
  std::string label;
  Position at;
};

struct Expectation {
  std::vector<Position> positions;
  int restored = 0;
};

// Where a restore of `saved` leaves the icons of `now`: the k-th icon of a label, in
// index order, goes where the k-th icon of that label was saved; any other stays.
Expectation AfterRestore(const std::vector<Icon>& saved, const std::vector<Icon>& now) {
  std::map<std::pair<std::string, int>, Position> places;
  std::map<std::string, int> seen;
  for (const Icon& icon : saved) places[{icon.label, seen[icon.label]++}] = icon.at;
  seen.clear();
  Expectation expected;
  for (const Icon& icon : now) {
    const auto place = places.find({icon.label, seen[icon.label]++});
    const bool found = place != places.end();
    expected.positions.push_back(found ? place->second : icon.at);
    expected.restored += found ? 1 : 0;
  }
  return expected;
}

// The product's next message box, read and closed.
std::string CloseNextBox(DWORD process_id) {
  const HWND box = WaitForMessageBox(process_id);
  if (box == nullptr) return "(no message box)";
  const std::string text = Narrow(MessageBoxText(box));
  return PressOk(box) ? text : text + " (would not close)";
}

class Layouts : public Scenario {
 protected:
  static void SetUpTestSuite() {
    labels_folder_ = std::make_unique<TempFolder>();
    const fs::path file = labels_folder_->path() / L"labels.txt";
    {
      std::ofstream out(file, std::ios::binary);
      for (const std::string& label : kLabels) out << label << '\n';
    }
    Begin({static_cast<int>(kLabels.size()), L"progman", false, {L"--labels", file.wstring()}},
          /*with_product=*/false);
  }
  static void TearDownTestSuite() {
    End();
    labels_folder_.reset();
  }

  // Free placement, as the product leaves the view, and every icon at a place of its own.
  void SetUp() override {
    ASSERT_TRUE(ready()) << error();
    view().SetStyle(view().Style() & ~static_cast<DWORD>(LVS_AUTOARRANGE));
    view().SetExtendedStyle(LVS_EX_SNAPTOGRID, 0);
    for (int i = 0; i < view().ItemCount(); ++i) view().SetItemPosition(i, HandPlace(i));
    by_hand_ = view().Positions();
  }

  CommandResult Vandrel(const std::vector<std::wstring>& arguments, const std::wstring& output_file = {},
                        const std::wstring& program = L"vandrel.exe") const {
    return RunProductCommand(arguments, DataFolderEnvironment(data_), output_file, program);
  }

  static std::vector<Icon> Icons() {
    std::vector<Icon> icons;
    const std::vector<Position> positions = view().Positions();
    for (std::size_t i = 0; i < positions.size(); ++i)
      icons.push_back({view().Label(static_cast<int>(i)), positions[i]});
    return icons;
  }
  static int IndexOf(const std::string& label, int occurrence) {
    const std::vector<Icon> icons = Icons();
    int seen = 0;
    for (std::size_t i = 0; i < icons.size(); ++i) {
      if (icons[i].label == label && seen++ == occurrence) return static_cast<int>(i);
    }
    throw DriverError("no icon \"" + label + "\" #" + std::to_string(occurrence) + " on the stand-in");
  }
  static std::string AllRestored() { return "Restored " + std::to_string(view().ItemCount()) + " icons."; }

  TempFolder data_;
  std::vector<Position> by_hand_;

 private:
  static std::unique_ptr<TempFolder> labels_folder_;
};

std::unique_ptr<TempFolder> Layouts::labels_folder_;

TEST_F(Layouts, CtrlZAndTheWindowMenuUndoTheFigureInTheWindow) {
  Product product(DataFolderEnvironment(data_));
  const HWND main = product.main_window();
  const DWORD process_id = product.process().id();
  // What choosing "Undo" in the window menu sends.
  constexpr WPARAM kMenuUndo = 0x1010;
  const struct {
    const char* how;
    const wchar_t* figure;  // one not selected yet: a click on the selected one runs nothing
    bool keyboard;
  } ways[] = {{"Ctrl+Z", L"left", true}, {"the window menu", L"right", false}};
  for (const auto& way : ways) {
    SCOPED_TRACE(way.how);
    product.Click(way.figure);
    ASSERT_NE(view().Positions(), by_hand_) << "the figure moved nothing";
    ASSERT_TRUE(way.keyboard ? PressControlKey(main, 'Z') : PostMessageW(main, WM_SYSCOMMAND, kMenuUndo, 0) != FALSE)
        << "the main window did not come to the front";
    EXPECT_EQ(CloseNextBox(process_id), AllRestored());
    EXPECT_EQ(view().Positions(), by_hand_);
  }
  // Each undo took the entry its figure made: none is left.
  ASSERT_TRUE(PressControlKey(main, 'Z'));
  EXPECT_EQ(CloseNextBox(process_id), "There is nothing to undo.");
  EXPECT_EQ(view().Positions(), by_hand_);
}

// "Save layout..." in the window menu opens the dialog of the program's resources: a
// name kept for the originals is refused with the dialog left open, a Chinese one is
// saved as typed.
TEST_F(Layouts, TheWindowMenuSavesUnderTheNameTypedInItsDialog) {
  Product product(DataFolderEnvironment(data_));
  const DWORD process_id = product.process().id();
  constexpr WPARAM kMenuSave = 0x1030;
  constexpr int kNameLabel = 1001;
  constexpr int kNameEdit = 1002;
  ASSERT_TRUE(PostMessageW(product.main_window(), WM_SYSCOMMAND, kMenuSave, 0));
  const HWND dialog = WaitForTopLevel({L"#32770", std::wstring(L"Save layout"), process_id, true}, kActionTimeout);
  ASSERT_NE(dialog, nullptr) << "no \"Save layout\" dialog";
  EXPECT_EQ(TextOf(GetDlgItem(dialog, kNameLabel)), L"Name of the layout:");
  EXPECT_EQ(TextOf(GetDlgItem(dialog, IDOK)), L"OK");
  EXPECT_EQ(TextOf(GetDlgItem(dialog, IDCANCEL)), L"Cancel");
  const HWND edit = GetDlgItem(dialog, kNameEdit);
  ASSERT_NE(edit, nullptr);

  ASSERT_TRUE(SetWindowTextW(edit, L"original"));
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
  EXPECT_NE(CloseNextBox(process_id).find("kept for the originals"), std::string::npos);
  ASSERT_TRUE(IsWindow(dialog)) << "a refused name closed the dialog";

  ASSERT_TRUE(SetWindowTextW(edit, L"\u5E03\u5C40 1"));  // "布局 1"
  ASSERT_TRUE(PressOk(dialog)) << "the dialog stayed open";
  EXPECT_EQ(CloseNextBox(process_id), "Saved the layout \"\u5E03\u5C40 1\": " + std::to_string(kLabels.size()) + " icons.");
  const CommandResult list = Vandrel({L"layout", L"list"});
  EXPECT_EQ(list.out.rfind("\u5E03\u5C40 1\t", 0), 0u) << list;
}

TEST_F(Layouts, UndoOnTheCommandLineAfterTheWindowHasClosed) {
  {
    Product product(DataFolderEnvironment(data_));
    product.Click(L"left");
    ASSERT_TRUE(product.Close()) << "vandrel.exe did not end on WM_CLOSE";
  }
  ASSERT_NE(view().Positions(), by_hand_) << "the figure moved nothing";

  const CommandResult undo = Vandrel({L"undo"});
  EXPECT_EQ(undo.exit_code, 0u) << undo;
  EXPECT_EQ(Chomped(undo.out), AllRestored());
  EXPECT_EQ(view().Positions(), by_hand_);

  const CommandResult again = Vandrel({L"undo"});
  EXPECT_EQ(again.exit_code, 1u) << again;
  EXPECT_EQ(Chomped(again.err), "There is nothing to undo.");
  EXPECT_EQ(view().Positions(), by_hand_);
}

TEST_F(Layouts, ARestoreByNameFindsIconsByLabelAndOccurrenceAfterSomeCameAndWent) {
  const std::vector<Icon> saved = Icons();
  const CommandResult save = Vandrel({L"layout", L"save", L"work"});
  ASSERT_EQ(save.exit_code, 0u) << save;

  Scatter();
  // The second of three "Report.docx" and the one "Photo 1.jpg" go; a fourth "Notes.txt"
  // comes ahead of the others, so that each of those is now one occurrence further on,
  // and a label the layout never had comes in the middle.
  const int report = IndexOf("Report.docx", 1);
  view().DeleteItem(report);
  const int photo = IndexOf("Photo 1.jpg", 0);
  view().DeleteItem(photo);
  view().InsertItem(0, "Notes.txt");
  view().InsertItem(5, "New folder");
  const std::vector<Position> before = view().Positions();
  const Expectation expected = AfterRestore(saved, Icons());
  ASSERT_EQ(expected.restored, 10);

  const CommandResult restore = Vandrel({L"layout", L"restore", L"work"});
  EXPECT_EQ(restore.exit_code, 0u) << restore;
  EXPECT_EQ(Chomped(restore.out), "Restored 10 icons; 2 icons of the layout are no longer on the desktop.");
  EXPECT_EQ(view().Positions(), expected.positions);

  // A restore is a change like a figure: undo goes back to before it.
  const CommandResult undo = Vandrel({L"undo"});
  EXPECT_EQ(undo.exit_code, 0u) << undo;
  EXPECT_EQ(view().Positions(), before);

  // The stand-in's icons as the suite started them, for the tests that come after.
  view().DeleteItem(5);
  view().DeleteItem(0);
  view().InsertItem(photo, "Photo 1.jpg");
  view().InsertItem(report, "Report.docx");
}

TEST_F(Layouts, ACorruptFileIsNamedAndNothingMoves) {
  const struct {
    const char* what;
    std::vector<std::wstring> writes;
    const wchar_t* folder;  // where the file lands under the data folder
    std::vector<std::wstring> reads;
  } cases[] = {
      {"a saved layout", {L"layout", L"save", L"work"}, L"layouts", {L"layout", L"restore", L"work"}},
      {"an undo entry", {L"figure", L"left"}, L"history", {L"undo"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const CommandResult written = Vandrel(c.writes);
    ASSERT_EQ(written.exit_code, 0u) << written;
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(data_.path() / c.folder)) files.push_back(entry.path());
    ASSERT_EQ(files.size(), 1u);
    // Cut off in the middle, as a full disk or a copy that stopped would leave it.
    fs::resize_file(files[0], fs::file_size(files[0]) / 2);
    Scatter();
    const std::vector<Position> before = view().Positions();

    const CommandResult read = Vandrel(c.reads);
    EXPECT_EQ(read.exit_code, 1u) << read;
    EXPECT_NE(read.err.find(files[0].filename().string()), std::string::npos) << read;
    EXPECT_EQ(Chomped(read.err).find('\n'), std::string::npos) << "more than one line: " << read;
    EXPECT_EQ(view().Positions(), before);
  }
}

TEST_F(Layouts, ARestorePutsBackAutoArrangeSnapToGridAndTheLabelColours) {
  view().SetStyle(view().Style() | LVS_AUTOARRANGE);
  view().SetExtendedStyle(LVS_EX_SNAPTOGRID, LVS_EX_SNAPTOGRID);
  const DWORD style = view().Style();
  const DWORD extended = view().ExtendedStyle();
  const COLORREF text = view().TextColor();
  const COLORREF background = view().TextBackgroundColor();
  const std::vector<Position> saved = view().Positions();
  const CommandResult save = Vandrel({L"layout", L"save", L"arranged"});
  ASSERT_EQ(save.exit_code, 0u) << save;

  for (const wchar_t* figure : {L"red-labels", L"left"}) {
    const CommandResult run = Vandrel({L"figure", figure});
    ASSERT_EQ(run.exit_code, 0u) << run;
  }
  // Whatever the figures did with the switches, the restore has to set them itself.
  view().SetStyle(style & ~static_cast<DWORD>(LVS_AUTOARRANGE));
  view().SetExtendedStyle(LVS_EX_SNAPTOGRID, 0);
  ASSERT_NE(view().TextColor(), text) << "red-labels changed no colour";
  ASSERT_NE(view().Positions(), saved) << "the figure moved nothing";

  const CommandResult restore = Vandrel({L"layout", L"restore", L"arranged"});
  EXPECT_EQ(restore.exit_code, 0u) << restore;
  EXPECT_EQ(view().Style(), style) << std::hex << view().Style();
  EXPECT_EQ(view().ExtendedStyle(), extended) << std::hex << view().ExtendedStyle();
  EXPECT_EQ(view().TextColor(), text);
  EXPECT_EQ(view().TextBackgroundColor(), background);
  EXPECT_EQ(view().Positions(), saved);
}

TEST_F(Layouts, TheCommandLineWritesThroughARedirectAndExitsWithStatusesScriptsCanTest) {
  for (const wchar_t* name : {L"work", L"games"}) {
    const CommandResult save = Vandrel({L"layout", L"save", name});
    ASSERT_EQ(save.exit_code, 0u) << save;
  }
  const TempFolder out;
  const fs::path file = out.path() / L"list.txt";
  const CommandResult piped = Vandrel({L"layout", L"list"});
  const CommandResult redirected = Vandrel({L"layout", L"list"}, file.wstring());
  EXPECT_EQ(piped.exit_code, 0u) << piped;
  EXPECT_EQ(redirected.exit_code, 0u) << redirected;
  EXPECT_NE(piped.out.find("work"), std::string::npos) << piped;
  EXPECT_NE(piped.out.find("games"), std::string::npos) << piped;
  EXPECT_EQ(redirected.out, piped.out);
  EXPECT_EQ(redirected.err, "");
  // The console launcher, which cmd.exe runs for `vandrel`, hands on the same output.
  const CommandResult launched = Vandrel({L"layout", L"list"}, {}, L"vandrel.com");
  EXPECT_EQ(launched.exit_code, 0u) << launched;
  EXPECT_EQ(launched.out, piped.out);

  const struct {
    std::vector<std::wstring> arguments;
    DWORD status;
    std::wstring program = L"vandrel.exe";
  } cases[] = {
      {{L"layout", L"delete", L"work"}, 0},
      {{L"layout", L"restore", L"work"}, 1},
      {{L"layout", L"delete", L"work"}, 1},
      {{L"figure", L"spiral"}, 2},
      // Through the console launcher: its job's status and reason, and its quoting kept.
      {{L"layout", L"save", L"at home"}, 0, L"vandrel.com"},
      {{L"layout", L"delete", L"at home"}, 0, L"vandrel.com"},
      {{L"layout", L"restore", L"work"}, 1, L"vandrel.com"},
      {{L"figure", L"spiral"}, 2, L"vandrel.com"},
      // Nothing to redo; the originals' names kept; a layout replaced only when asked.
      {{L"redo"}, 1},
      {{L"layout", L"save", L"Original"}, 1},
      {{L"layout", L"save", L"original 2"}, 1},
      {{L"layout", L"save", L"GAMES"}, 1},
      {{L"layout", L"save", L"GAMES", L"--replace"}, 0},
  };
  for (const auto& c : cases) {
    std::wstring command = c.program;
    for (const auto& argument : c.arguments) command += L" " + argument;
    SCOPED_TRACE(Narrow(command));
    const CommandResult result = Vandrel(c.arguments, {}, c.program);
    EXPECT_EQ(result.exit_code, c.status) << result;
    const std::string reason = Chomped(result.err);
    EXPECT_EQ(reason.empty(), c.status == 0) << result;
    // A failure says why in one line; bad usage may add where to look.
    EXPECT_TRUE(c.status != 1 || reason.find('\n') == std::string::npos) << result;
  }
  EXPECT_EQ(view().Positions(), by_hand_) << "a command that failed moved icons";
}

// The lock every Vandrel process holds around a change.
constexpr wchar_t kChangeLock[] = L"Local\\Vandrel.ChangeLock";

TEST_F(Layouts, CtrlYRedoesWhatCtrlZUndidUntilThereIsNothingLeft) {
  Product product(DataFolderEnvironment(data_));
  const HWND main = product.main_window();
  const DWORD process_id = product.process().id();
  product.Click(L"left");
  const std::vector<Position> figure = view().Positions();
  ASSERT_NE(figure, by_hand_) << "the figure moved nothing";
  ASSERT_TRUE(PressControlKey(main, 'Z'));
  EXPECT_EQ(CloseNextBox(process_id), AllRestored());
  EXPECT_EQ(view().Positions(), by_hand_);
  ASSERT_TRUE(PressControlKey(main, 'Y'));
  EXPECT_EQ(CloseNextBox(process_id), AllRestored());
  EXPECT_EQ(view().Positions(), figure);
  ASSERT_TRUE(PressControlKey(main, 'Y'));
  EXPECT_EQ(CloseNextBox(process_id), "There is nothing to redo.");
  // The redo was a change like any other: undone, the hand-made places come back.
  ASSERT_TRUE(PressControlKey(main, 'Z'));
  EXPECT_EQ(CloseNextBox(process_id), AllRestored());
  EXPECT_EQ(view().Positions(), by_hand_);
}

TEST_F(Layouts, WithoutAnUndoCopyTheWindowAsksAndTheCommandLineRefusesUnlessTold) {
  // A file where the data folder would be: no copy can be kept.
  const fs::path blocked = data_.path() / L"blocked";
  std::ofstream(blocked) << "not a folder";
  const Environment environment{{L"VANDREL_DATA_DIR", (blocked / L"data").wstring()}};
  {
    Product product(environment);
    const DWORD process_id = product.process().id();
    const struct {
      const wchar_t* figure;
      int answer;
      bool moves;
    } answers[] = {{L"left", IDNO, false}, {L"right", IDYES, true}};
    for (const auto& a : answers) {
      SCOPED_TRACE(Narrow(a.figure));
      ASSERT_TRUE(PostClick(product.Button(a.figure)));
      const HWND box = WaitForMessageBox(process_id);
      ASSERT_NE(box, nullptr) << "no question";
      const std::string text = Narrow(MessageBoxText(box));
      EXPECT_EQ(text.rfind("Vandrel cannot keep an undo copy of the icons: ", 0), 0u) << text;
      EXPECT_NE(text.find("blocked"), std::string::npos) << text;
      const std::string question = ". Lay them out anyway?";
      EXPECT_EQ(text.substr(text.size() - std::min(text.size(), question.size())), question) << text;
      ASSERT_TRUE(PressButton(box, a.answer));
      EXPECT_TRUE(Answers(product.main_window()));
      EXPECT_EQ(view().Positions() != by_hand_, a.moves);
    }
  }
  for (std::size_t i = 0; i < by_hand_.size(); ++i) view().SetItemPosition(static_cast<int>(i), by_hand_[i]);
  const CommandResult refused = RunProductCommand({L"figure", L"left"}, environment);
  EXPECT_EQ(refused.exit_code, 1u) << refused;
  EXPECT_EQ(Chomped(refused.err).rfind("Vandrel cannot keep an undo copy of the icons: ", 0), 0u) << refused;
  EXPECT_EQ(view().Positions(), by_hand_);
  const CommandResult anyway = RunProductCommand({L"figure", L"left", L"--no-undo"}, environment);
  EXPECT_EQ(anyway.exit_code, 0u) << anyway;
  EXPECT_NE(view().Positions(), by_hand_);
}

TEST_F(Layouts, ShowingTheWindowKeepsTheSnapSwitchInTheOriginalAndTheUndoHistory) {
  view().SetExtendedStyle(LVS_EX_SNAPTOGRID, LVS_EX_SNAPTOGRID);
  {
    Product product(DataFolderEnvironment(data_));
    ASSERT_TRUE(product.Close());
  }
  EXPECT_EQ(view().ExtendedStyle() & LVS_EX_SNAPTOGRID, 0u) << "FormShow left snap-to-grid on";
  EXPECT_NE(FileText(data_.path() / L"layouts" / L"original.json").find("\"snap_to_grid\": true"), std::string::npos);
  const CommandResult undo = Vandrel({L"undo"});
  EXPECT_EQ(undo.exit_code, 0u) << undo;
  EXPECT_EQ(view().ExtendedStyle() & LVS_EX_SNAPTOGRID, static_cast<DWORD>(LVS_EX_SNAPTOGRID));
}

TEST_F(Layouts, OneChangeAtATimeAcrossProcessesAndALockOfAProcessGoneIsFree) {
  ASSERT_EQ(Vandrel({L"figure", L"left"}).exit_code, 0u);
  const std::vector<Position> figure = view().Positions();
  // Another Vandrel's change under way: this driver holds the lock.
  HANDLE held = CreateMutexW(nullptr, TRUE, kChangeLock);
  ASSERT_NE(held, nullptr);
  {
    ChildProcess undo(ProgramFolder() + L"\\vandrel.exe", {L"undo"}, {DataFolderEnvironment(data_)});
    EXPECT_FALSE(undo.WaitForExit(Millis{1500})) << "the undo did not wait for the change under way";
    EXPECT_EQ(view().Positions(), figure);
    ReleaseMutex(held);
    ASSERT_TRUE(undo.WaitForExit(kActionTimeout));
    EXPECT_EQ(undo.exit_code(), 0u);
    EXPECT_EQ(view().Positions(), by_hand_);
  }

  // Two undos at once take one entry each, in turn: back to the hand-made places.
  ASSERT_EQ(Vandrel({L"figure", L"left"}).exit_code, 0u);
  ASSERT_EQ(Vandrel({L"figure", L"right"}).exit_code, 0u);
  {
    ChildProcess one(ProgramFolder() + L"\\vandrel.exe", {L"undo"}, {DataFolderEnvironment(data_)});
    ChildProcess two(ProgramFolder() + L"\\vandrel.exe", {L"undo"}, {DataFolderEnvironment(data_)});
    ASSERT_TRUE(one.WaitForExit(kActionTimeout) && two.WaitForExit(kActionTimeout));
    EXPECT_EQ(one.exit_code(), 0u);
    EXPECT_EQ(two.exit_code(), 0u);
  }
  EXPECT_EQ(view().Positions(), by_hand_);
  EXPECT_EQ(Vandrel({L"undo"}).exit_code, 1u);

  // The console launcher ended (Ctrl+Break, a closed console) while its job waits for
  // the lock: the job ends with it and changes nothing later.
  ASSERT_EQ(Vandrel({L"figure", L"left"}).exit_code, 0u);
  ASSERT_EQ(WaitForSingleObject(held, 0), WAIT_OBJECT_0);
  {
    ChildProcess launcher(ProgramFolder() + L"\\vandrel.com", {L"undo"}, {DataFolderEnvironment(data_)});
    Sleep(1000);
    launcher.Terminate();
  }
  ReleaseMutex(held);
  Sleep(1500);
  EXPECT_EQ(view().Positions(), figure) << "vandrel.exe went on after its launcher had ended";

  // A holder that ended without letting go: its lock is free at once.
  CloseHandle(held);
  std::thread([] { CreateMutexW(nullptr, TRUE, kChangeLock); }).join();
  const auto started = std::chrono::steady_clock::now();
  const CommandResult undo = Vandrel({L"undo"});
  EXPECT_EQ(undo.exit_code, 0u) << undo;
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(15));
  EXPECT_EQ(view().Positions(), by_hand_);
}

TEST_F(Layouts, ADataFolderWithALongPathServesUndoAsItServesSaving) {
  fs::path folder = data_.path();
  while (folder.wstring().size() < 170) folder /= L"a-rather-long-folder-name";
  const Environment environment{{L"VANDREL_DATA_DIR", folder.wstring()}};
  const CommandResult figure = RunProductCommand({L"figure", L"left"}, environment);
  ASSERT_EQ(figure.exit_code, 0u) << figure;
  EXPECT_EQ(RunProductCommand({L"layout", L"save", L"work"}, environment).exit_code, 0u);
  const CommandResult undo = RunProductCommand({L"undo"}, environment);
  EXPECT_EQ(undo.exit_code, 0u) << undo;
  EXPECT_EQ(view().Positions(), by_hand_);
  const CommandResult redo = RunProductCommand({L"redo"}, environment);
  EXPECT_EQ(redo.exit_code, 0u) << redo;
  EXPECT_NE(view().Positions(), by_hand_);
}

}  // namespace
}  // namespace vandrel::e2e
