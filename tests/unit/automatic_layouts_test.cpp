// The watcher's own layouts beside the user's: one per display, never in their place.
#include "layouts/automatic_layouts.h"

#include <gtest/gtest.h>

#include "temp_folder.h"

namespace vandrel::layouts {
namespace {

using testing::TempFolder;

Snapshot At(std::int32_t width, std::int32_t x) {
  Snapshot s;
  s.display = {Rect{0, 0, width, 738}, width, 768, 96, 1};
  s.icons = {{"a", 0, x, 2}};
  return s;
}

TEST(AutomaticLayouts, OneForEachDisplayReplacedInPlaceAndNeverOverAUsersLayout) {
  TempFolder temp;
  LayoutStore store(temp.path);
  // The user's layout has the name the watcher would take first; an original of the
  // same display stands beside it.
  store.Save({"Automatic 1024x768", false, At(1024, 1)});
  store.Save({"original", true, At(1024, 2)});
  AutomaticLayouts automatic(store);
  EXPECT_FALSE(automatic.Find(At(1024, 0).display));

  automatic.Keep(At(1024, 10));
  automatic.Keep(At(800, 20));
  automatic.Keep(At(1024, 30));  // replaces the first
  EXPECT_EQ(automatic.Count(), 2u);
  const std::optional<LayoutRecord> kept = automatic.Find(At(1024, 0).display);
  ASSERT_TRUE(kept);
  EXPECT_EQ(kept->name, "automatic 1024x768 2");
  EXPECT_TRUE(kept->automatic);
  EXPECT_EQ(kept->snapshot, At(1024, 30));
  EXPECT_EQ(store.Load("automatic 800x768").snapshot, At(800, 20));
  EXPECT_EQ(store.Load("automatic 1024x768").snapshot, At(1024, 1));  // the user's, untouched
  EXPECT_FALSE(store.Load("automatic 1024x768").automatic);
  EXPECT_EQ(store.Load("original").snapshot, At(1024, 2));

  // The user saves a layout of their own under the automatic layout's name: it is
  // theirs from then on, found no more and never written over.
  store.Save({"automatic 800x768", false, At(800, 99)});
  EXPECT_FALSE(automatic.Find(At(800, 0).display));
  automatic.Keep(At(800, 21));
  EXPECT_EQ(store.Load("automatic 800x768").snapshot, At(800, 99));
  EXPECT_EQ(automatic.Find(At(800, 0).display)->snapshot, At(800, 21));

  automatic.Forget(At(1024, 0).display);
  EXPECT_FALSE(automatic.Find(At(1024, 0).display));
  EXPECT_TRUE(store.Exists("automatic 1024x768"));
  EXPECT_EQ(automatic.Count(), 1u);  // 800's
}

TEST(AutomaticLayouts, TheFlagRoundTripsAndOlderFilesReadWithoutIt) {
  LayoutRecord record{"automatic 1024x768", false, At(1024, 5)};
  record.automatic = true;
  EXPECT_EQ(ParseLayout(FormatLayout(record), "x"), record);
  record.automatic = false;
  const std::string text = FormatLayout(record);
  EXPECT_EQ(text.find("automatic\":"), std::string::npos);
  EXPECT_EQ(ParseLayout(text, "x"), record);
}

}  // namespace
}  // namespace vandrel::layouts
