#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <fstream>
#include <set>
#include <thread>

#include <nlohmann/json.hpp>

#include "layouts/atomic_file.h"
#include "layouts/layout_store.h"
#include "layouts/snapshot.h"
#include "temp_folder.h"

namespace vandrel::layouts {
namespace {

namespace fs = std::filesystem;

using testing::TempFolder;

void WriteBytes(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

std::string FileText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string Repeated(const std::string& text, std::size_t times) {
  std::string all;
  for (std::size_t i = 0; i < times; ++i) all += text;
  return all;
}

std::string Nested(std::size_t levels) { return std::string(levels, '[') + std::string(levels, ']'); }

Snapshot Sample(std::int64_t taken_at = 1700000000) {
  Snapshot s;
  s.display = {Rect{-1920, 0, 1024, 738}, 2944, 1080, 144, 2};
  s.view = {true, false, 0x00FFFFFF, kNoColour};
  s.icons = {{"Recycle Bin", 0, 10, 20, "::{645FF040-5081-101B-9F08-00AA002F954E}"},
             {"回收站", 0, -32768, 32767, "C:\\Users\\用户\\Desktop\\回收站.lnk"},  // CP936 label, as UTF-8
             {"Caf\xC3\xA9 \xE2\x82\xAC\xE2\x80\x9C", 0, 1, 2},  // CP1252: é € “
             {"Caf\xC3\xA9 \xE2\x82\xAC\xE2\x80\x9C", 1, 3, 4},
             {"tab\t\"quote\" back\\slash", 0, 32767, -32768}};
  s.taken_at = taken_at;
  return s;
}

TEST(LayoutFile, RoundTripsEveryFieldThroughAFileWithAChineseName) {
  TempFolder temp;
  const LayoutRecord record{"桌面 Work", true, Sample(-5)};
  EXPECT_EQ(ParseLayout(FormatLayout(record), "x"), record);
  const fs::path path = temp.path / fs::path(u8"布局.json");
  WriteLayoutFile(path, record);
  WriteLayoutFile(path, record);  // replaces
  EXPECT_EQ(ReadLayoutFile(path), record);
  EXPECT_EQ(PathText(path.filename()), "布局.json");
  EXPECT_EQ(std::distance(fs::directory_iterator(temp.path), fs::directory_iterator()), 1);  // no temporary left

  // Bytes that are not UTF-8 cannot reach the file as they are, and never stop the write.
  LayoutRecord bad{"", false, Sample()};
  bad.snapshot.icons = {{"a\xFF" "b", 0, 0, 0}};
  EXPECT_EQ(ParseLayout(FormatLayout(bad), "x").snapshot.icons[0].label, "a\xEF\xBF\xBD" "b");
}

TEST(LayoutFile, RefusesEveryKindOfBadFileNamingIt) {
  const std::string good = FormatLayout(LayoutRecord{"n", false, Sample()});
  const auto with = [&](const std::string& from, const std::string& to) {
    std::string text = good;
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return text.replace(at, from.size(), to);
  };
  const struct { std::string bytes; const char* why; } cases[] = {
      {good.substr(0, good.size() / 2), "ends too early"},
      {"", "is empty"},
      {"PK\x03\x04 zip", "is not JSON"},
      {"[1, 2]", "not a Vandrel layout"},
      {with("vandrel-layout", "other-layout"), "not a Vandrel layout"},
      {with("\"version\": 2", "\"version\": 3"), "another version (3)"},
      {with("\"version\": 2", "\"version\": \"1\""), "another version"},
      {with("\"dpi\": 144", "\"dpi\": -1"), "display.dpi is out of range"},
      {with("\"dpi\": 144", "\"dpi\": 1.5"), "display.dpi is not an integer"},
      {with("\"x\":10", "\"x\":2147483648"), "icons[0].x is out of range"},
      // Only 16 bits of a position reach the list view: more would land elsewhere.
      {with("\"x\":10", "\"x\":32768"), "icons[0].x is out of range (-65536 to 32767)"},
      // A screen position may lie a whole view further left or up: the view's origin.
      {with("\"y\":20", "\"y\":-65537"), "icons[0].y is out of range (-65536 to 32767)"},
      {[&] {
         std::string view_file = with("\"version\": 2", "\"version\": 1");
         return view_file.replace(view_file.find("\"y\":20"), 6, "\"y\":-32769");
       }(),
       "icons[0].y is out of range (-32768 to 32767)"},
      {with("\"x\":10", "\"x\":100000000000000000000000"), "icons[0].x is out of range"},
      {with("\"x\":10", "\"x\":1e400"), "a number too large"},
      {with("\"taken_at\": 1700000000", "\"taken_at\": 99999999999999999999"), "taken_at is out of range"},
      // The reader would keep the last of two values without a word.
      {with("\"x\":10", "\"x\":10,\"x\":11"), "gives the key \"x\" twice"},
      {with("\"dpi\": 144", "\"dpi\": 144, \"dpi\": 96"), "gives the key \"dpi\" twice"},
      {with("\"x\":10", "\"x\":\"10\""), "icons[0].x is not an integer"},
      {with("\"occurrence\":1", "\"occurrence\":-1"), "icons[3].occurrence is out of range"},
      {with("\"occurrence\":1", "\"occurrence\":0"), "listed twice"},
      {with("\"label\":\"Recycle Bin\",", ""), "icons[0].label is missing"},
      {with("\"original\": false", "\"original\": 0"), "original is not true or false"},
      {with("\"left\": -1920", "\"left\": null"), "display.work_area.left is not an integer"},
      {with("\"icons\": [", "\"icons\": {\"a\": [") + "}", "icons is not an array"},
      {std::string(kMaxFileBytes + 1, ' '), "larger than 8 MB"},
      // Hostile nesting, wherever it is, must neither crash nor be shown whole.
      {with("\"version\": 2", "\"version\": " + Nested(100000)), "more than 64 levels deep"},
      {with("\"name\"", "\"later\": " + Nested(100000) + ", \"name\""), "more than 64 levels deep"},
      {with("\"icons\": [", "\"icons\": [" + Nested(100000) + ","), "more than 64 levels deep"},
      {with("\"version\": 2", "\"version\": [[1]]"), "another version (array)"},
      {with("\"version\": 2", "\"version\": \"" + Repeated("桌", 1000) + "\""), "another version (\"桌桌"},
  };
  for (const auto& c : cases) {
    try {
      ParseLayout(c.bytes, "C:\\data\\bad.json");
      ADD_FAILURE() << "accepted: " << c.why;
    } catch (const LayoutFileError& e) {
      const std::string what = e.what();
      EXPECT_NE(what.find("\"C:\\data\\bad.json\""), std::string::npos) << what;
      EXPECT_NE(what.find(c.why), std::string::npos) << what;
      EXPECT_LT(what.size(), 200u) << what;
    }
  }
  // Every required member, taken out, is named: none is read with a default.
  const nlohmann::ordered_json doc = nlohmann::ordered_json::parse(good);
  std::vector<std::vector<std::string>> required;
  const std::function<void(const nlohmann::ordered_json&, std::vector<std::string>)> leaves =
      [&](const nlohmann::ordered_json& value, std::vector<std::string> path) {
        if (!value.is_object()) return required.push_back(path);
        for (const auto& [key, member] : value.items()) {
          if (path.empty() && (key == "icons" || key == "sequence")) continue;
          std::vector<std::string> deeper = path;
          deeper.push_back(key);
          leaves(member, deeper);
        }
      };
  leaves(doc, {});
  for (const auto& [key, unused] : doc["icons"][0].items()) {
    if (key != "parsing_name") required.push_back({"icons", "0", key});
  }
  EXPECT_EQ(required.size(), 22u);
  for (const std::vector<std::string>& path : required) {
    if (path[0] == "format" || path[0] == "version") continue;  // said as another format or version
    nlohmann::ordered_json cut = doc;
    std::string where;
    if (path[0] == "icons") {
      cut["icons"][0].erase(path[2]);
      where = "icons[0]." + path[2];
    } else {
      nlohmann::ordered_json* parent = &cut;
      for (std::size_t i = 0; i + 1 < path.size(); ++i) parent = &(*parent)[path[i]];
      parent->erase(path.back());
      for (const std::string& key : path) where += (where.empty() ? "" : ".") + key;
    }
    try {
      ParseLayout(cut.dump(), "f");
      ADD_FAILURE() << where << " was not missed";
    } catch (const LayoutFileError& e) {
      EXPECT_NE(std::string(e.what()).find(where + " is missing"), std::string::npos) << e.what();
    }
  }
  // Members of a later version, nested as deep as is allowed, are passed over.
  EXPECT_NO_THROW(ParseLayout(with("\"name\"", "\"later\": " + Nested(63) + ", \"name\""), "x"));
  EXPECT_THROW(ParseLayout(with("\"name\"", "\"later\": " + Nested(64) + ", \"name\""), "x"), LayoutFileError);
}

TEST(LayoutNames, RefusesWhatWindowsCannotHoldOrShowAndNothingElse) {
  // Every byte outside a-z 0-9 _ - takes three characters of the file name: "桌" nine.
  const std::string sixteen = Repeated("桌", 16);
  for (const char* valid : {"Work", "original 2", "桌面布局", "a.b", "com10", "Con-fig", "lpt", "x%y"}) {
    EXPECT_EQ(CheckLayoutName(valid), "") << valid;
  }
  EXPECT_EQ(CheckLayoutName(sixteen + "abcdef"), "");
  const struct { std::string name; const char* why; } cases[] = {
      {"", "empty"},
      {std::string(65, 'a'), "at most 64 bytes"},
      {sixteen + "abcdefg", "at most 150 characters as a file name; this one takes 151."},
      {Repeated("桌", 21), "this one takes 189."},
      {"a/b", "\\ / :"}, {"a\\b", "\\ / :"}, {"c:", "\\ / :"}, {"why?", "\\ / :"}, {"a|b", "\\ / :"},
      {"a\"b", "\\ / :"}, {"<a>", "\\ / :"}, {"*", "\\ / :"},
      {"..", "\"..\""}, {"a..b", "\"..\""}, {".", "\"..\""},
      {"a\tb", "control"}, {"a\x7F", "control"}, {"a\xC2\x85", "control"},
      {"a\xFF", "UTF-8"}, {"\xC0\xAF", "UTF-8"}, {"\xED\xA0\x80", "UTF-8"}, {"\xE6\xA1", "UTF-8"},
      {" a", "space"}, {"a ", "space"},
      {"CON", "device"}, {"nul.txt", "device"}, {"Com1", "device"}, {"LPT9.x.y", "device"}, {"com\xC2\xB9", "device"},
      {"conin$", "device"}, {"aux .txt", "device"},
  };
  for (const auto& c : cases) {
    const std::string why = CheckLayoutName(c.name);
    EXPECT_NE(why.find(c.why), std::string::npos) << c.name << ": " << why;
    EXPECT_EQ(why.find('\n'), std::string::npos);
  }
}

TEST(LayoutStore, NamesAreOneFileEachAndCompareAsWindowsComparesThem) {
  TempFolder temp;
  LayoutStore store(temp.path / "data");
  EXPECT_TRUE(store.List().empty());  // no folder yet
  store.Save({"Work", false, Sample(1)});
  store.Save({"work", false, Sample(2)});  // the same layout
  store.Save({"桌面", false, Sample(3)});
  EXPECT_FALSE(store.SaveIfAbsent({"WORK", true, Sample(4)}));
  EXPECT_TRUE(store.SaveIfAbsent({"original", true, Sample(5)}));

  EXPECT_EQ(store.Load("WORK"), (LayoutRecord{"work", false, Sample(2), 2}));
  EXPECT_EQ(store.Load("桌面").snapshot.taken_at, 3);
  std::set<std::string> names;
  for (const LayoutSummary& s : store.List()) names.insert(s.name + (s.original ? "*" : ""));
  EXPECT_EQ(names, (std::set<std::string>{"work", "桌面", "original*"}));
  EXPECT_EQ(store.List("ORIG").size(), 1u);

  // A file that cannot be read is left out of the list, and named when asked for.
  WriteBytes(temp.path / "data" / "layouts" / "broken.json", "{");
  EXPECT_EQ(store.List().size(), 3u);
  EXPECT_THROW(store.Load("Broken"), LayoutFileError);

  store.Delete("Work");
  EXPECT_FALSE(store.Exists("work"));
  EXPECT_THROW(store.Load("work"), LayoutNameError);
  EXPECT_THROW(store.Delete("work"), LayoutNameError);
  EXPECT_THROW(store.Save({"a/b", false, Sample()}), LayoutNameError);
}

TEST(LayoutStore, NamesThatLookTheSameAreOneLayoutAndOldFileNamesAreStillFound) {
  TempFolder temp;
  LayoutStore store(temp.path);
  fs::create_directories(temp.path / "layouts");
  // Named as before, with only A-Z folded: "Äpfel" kept its capital's bytes.
  WriteLayoutFile(temp.path / "layouts" / "%C3%84pfel.json", {"\xC3\x84pfel", false, Sample(7)});
  const struct { const char* saved; const char* asked; } same[] = {
      {"Caf\xC3\xA9", "Cafe\xCC\x81"},                // precomposed and decomposed
      {"Stra\xC3\x9F" "e", "STRASSE"},                 // full folding: ß is ss
      {"\xCE\xA3\xCE\xBF\xCF\x86\xCE\xAF\xCE\xB1", "\xCF\x83\xCE\xBF\xCF\x86\xCE\xAF\xCE\xB1"},  // Σοφία, σοφία
      {"\xC3\x84pfel", "\xC3\xA4pfel"},                // found under its file name of before
  };
  for (const auto& c : same) {
    SCOPED_TRACE(c.asked);
    if (std::string(c.saved) != "\xC3\x84pfel") store.Save({c.saved, false, Sample(1)});
    ASSERT_TRUE(store.Exists(c.asked));
    EXPECT_EQ(store.Load(c.asked).name, c.saved);
  }
  EXPECT_EQ(store.List().size(), 4u);
  // Saved anew under its folded file name, the old one goes.
  store.Save({"\xC3\xA4pfel", false, Sample(9)});
  EXPECT_FALSE(fs::exists(temp.path / "layouts" / "%C3%84pfel.json"));
  EXPECT_EQ(store.Load("\xC3\x84PFEL").snapshot.taken_at, 9);
  EXPECT_EQ(store.List().size(), 4u);
  store.Delete("CAFE\xCC\x81");
  EXPECT_FALSE(store.Exists("caf\xC3\xA9"));
}

TEST(LayoutStore, ALayoutSavedBeforeTheFileNameLimitIsStillListedLoadedAndDeleted) {
  TempFolder temp;
  LayoutStore store(temp.path);
  const std::string name = Repeated("桌", 21);
  fs::create_directories(temp.path / "layouts");
  WriteLayoutFile(temp.path / "layouts" / (Repeated("%E6%A1%8C", 21) + ".json"), {name, false, Sample(7)});
  EXPECT_THROW(store.Save({name, false, Sample(8)}), LayoutNameError);
  EXPECT_EQ(store.List().size(), 1u);
  EXPECT_EQ(store.Load(name).snapshot.taken_at, 7);
  EXPECT_NO_THROW(store.Delete(name));
}

TEST(LayoutStore, FilesLeftByAKilledProcessOfTheSameIdStopNoSave) {
  TempFolder temp;
  LayoutStore store(temp.path);
  const fs::path folder = temp.path / "layouts";
  fs::create_directories(folder);
  // That process numbered its files from the same serials as this one: each file left
  // here has the name the next save would take first.
  const std::string id = "." + std::to_string(CurrentProcessId()) + "-";
  std::uint64_t last = NextSerial();
  const auto named = [&](const std::string& stem, std::uint64_t ahead) {
    return stem + id + std::to_string(last + ahead);
  };
  WriteBytes(folder / (named("work.json", 1) + ".tmp"), "left");
  store.Save({"work", false, Sample(1)});
  last = NextSerial();
  WriteBytes(folder / (named("original.json", 1) + ".new"), "left");
  WriteBytes(folder / (named(named("original.json", 1) + ".new", 2) + ".tmp"), "left");
  EXPECT_TRUE(store.SaveIfAbsent({"original", true, Sample(2)}));
  EXPECT_EQ(store.Load("work").snapshot.taken_at, 1);
  EXPECT_EQ(store.Load("original").snapshot.taken_at, 2);
  EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 5);  // not ours to remove
}

TEST(MoveIfAbsent, OfTwoRacingMovesExactlyOneWinsAndNothingIsLost) {
  TempFolder temp;
  const fs::path a = temp.path / "a", b = temp.path / "b", c = temp.path / "c", d = temp.path / "d";
  // Two processes keeping "original" at once; two undos taking one entry.
  const struct { fs::path from[2], to[2]; } races[] = {{{a, b}, {c, c}}, {{a, a}, {c, d}}};
  for (const auto& race : races) {
    for (int round = 0; round < 200; ++round) {
      WriteBytes(a, "a");
      WriteBytes(b, "bb");
      std::atomic<int> ready{0};
      bool won[2] = {};
      const auto move = [&](int k) {
        for (++ready; ready < 2;) {
        }
        won[k] = MoveIfAbsent(race.from[k], race.to[k]);
      };
      std::thread one(move, 0), two(move, 1);
      one.join();
      two.join();
      ASSERT_NE(won[0], won[1]) << "round " << round;
      const int k = won[0] ? 0 : 1;
      EXPECT_EQ(fs::file_size(race.to[k]), race.from[k] == a ? 1u : 2u);
      EXPECT_EQ(fs::exists(race.from[1 - k]), race.from[0] != race.from[1]);  // the loser's own file stays
      EXPECT_EQ(fs::exists(race.to[1 - k]), race.to[0] == race.to[1]);
      for (const fs::path& path : {a, b, c, d}) fs::remove(path);
    }
  }
}

TEST(History, KeepsTheNewestFiftyAndUndoesNewestFirstAcrossProcesses) {
  TempFolder temp;
  LayoutStore one(temp.path), two(temp.path);  // two processes on one folder
  for (int i = 0; i < 55; ++i) (i % 2 ? two : one).Push(Sample(i));
  EXPECT_EQ(one.HistorySize(), kHistoryLimit);

  {
    auto unfinished = two.ClaimNewest();  // a restore that fails puts its entry back
    ASSERT_TRUE(unfinished);
    EXPECT_EQ(unfinished->snapshot().taken_at, 54);
    EXPECT_EQ(one.HistorySize(), kHistoryLimit - 1);
  }
  for (int i = 54; i >= 5; --i) {
    auto claim = (i % 3 ? one : two).ClaimNewest();
    ASSERT_TRUE(claim);
    EXPECT_EQ(claim->snapshot().taken_at, i);
    claim->Keep();
  }
  EXPECT_FALSE(one.ClaimNewest());

  // An unusable newest entry is named and set aside for the user to see; the next
  // claim goes on with the entry before it.
  one.Push(Sample(1));
  one.Push(Sample(2));
  fs::path entry;
  for (const auto& file : fs::directory_iterator(temp.path / "history")) entry = std::max(entry, file.path());
  WriteBytes(entry, "{\"format\":");
  try {
    one.ClaimNewest();
    ADD_FAILURE();
  } catch (const LayoutFileError& e) {
    EXPECT_NE(std::string(e.what()).find(PathText(entry)), std::string::npos) << e.what();
    EXPECT_NE(std::string(e.what()).find("set aside"), std::string::npos) << e.what();
  }
  EXPECT_FALSE(fs::exists(entry));
  fs::path aside = entry;
  aside.replace_extension(".damaged.json");
  EXPECT_EQ(FileText(aside), "{\"format\":");
  auto before = one.ClaimNewest();
  ASSERT_TRUE(before);
  EXPECT_EQ(before->snapshot().taken_at, 1);
  before->Keep();
  EXPECT_FALSE(one.ClaimNewest());
  EXPECT_TRUE(fs::exists(aside));
}

TEST(History, TwoThreadsPushingAndTwoClaimingLoseAndRepeatNothing) {
  TempFolder temp;
  constexpr int kEach = 20;
  const auto push = [&](int first) {
    LayoutStore store(temp.path);
    for (int i = first; i < first + kEach; ++i) store.Push(Sample(i));
  };
  std::thread a(push, 0), b(push, kEach);
  a.join();
  b.join();
  EXPECT_EQ(LayoutStore(temp.path).HistorySize(), 2u * kEach);

  std::vector<std::int64_t> taken[2];
  const auto undo = [&](int k) {
    LayoutStore store(temp.path);
    while (auto claim = store.ClaimNewest()) {
      taken[k].push_back(claim->snapshot().taken_at);
      claim->Keep();
    }
  };
  std::thread c(undo, 0), d(undo, 1);
  c.join();
  d.join();
  std::set<std::int64_t> all(taken[0].begin(), taken[0].end());
  all.insert(taken[1].begin(), taken[1].end());
  EXPECT_EQ(all.size(), 2u * kEach);
  EXPECT_EQ(taken[0].size() + taken[1].size(), 2u * kEach);
}

TEST(History, AnUndoWhoseEntryCannotBeRemovedLeavesNoClaimToComeBack) {
  TempFolder temp;
  LayoutStore store(temp.path);
  store.Push(Sample(1));
  auto claim = store.ClaimNewest();
  ASSERT_TRUE(claim);
  // Not removable: a folder that is not empty (on Windows also a read-only file).
  const fs::path claimed = *fs::directory_iterator(temp.path / "history");
  fs::remove(claimed);
  fs::create_directories(claimed / "held");
  claim->Keep();
  // Claims are put back into the history by name once old: none may be left.
  for (const fs::directory_entry& entry : fs::directory_iterator(temp.path / "history")) {
    EXPECT_EQ(PathText(entry.path().filename()).find(".claimed-"), std::string::npos) << entry.path();
  }
  EXPECT_FALSE(store.ClaimNewest());
}

}  // namespace
}  // namespace vandrel::layouts
