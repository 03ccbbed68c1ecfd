// The layouts the watcher keeps by itself: one per display, named "automatic WxH"
// after the screen (a second display of that size takes "automatic WxH 2", ...),
// flagged automatic in the file. Listed and restored by name like any other, but
// never written over a layout of the user's or an original: a name that is taken by
// one of those is passed over.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "layouts/layout_store.h"

namespace vandrel::layouts {

inline constexpr char kAutomaticName[] = "automatic";

class AutomaticLayouts {
 public:
  explicit AutomaticLayouts(LayoutStore& store) : store_(store) {}

  // The automatic layout of `display`; empty when there is none or its file is unusable.
  std::optional<LayoutRecord> Find(const DisplayConfiguration& display) const;
  // Keeps `snapshot` as its display's automatic layout, replacing the one before.
  void Keep(const Snapshot& snapshot);
  void Forget(const DisplayConfiguration& display);
  // How many displays have one.
  std::size_t Count() const;

 private:
  std::optional<std::string> NameOf(const DisplayConfiguration& display) const;
  // The automatic layout the name last found for `display` has, read and checked: the
  // store lists a layout by reading it whole, and the watcher looks a display's layout up
  // at every read.
  std::optional<LayoutRecord> Hinted(const DisplayConfiguration& display) const;

  LayoutStore& store_;
  mutable std::vector<std::pair<DisplayConfiguration, std::string>> hints_;
};

}  // namespace vandrel::layouts
