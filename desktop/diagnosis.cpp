#include "desktop/diagnosis.h"

#include <algorithm>

namespace vandrel {
namespace {

void CompareWithFolderView(DesktopPort& port, WindowHandle view, const DesktopContents& contents, std::size_t compared,
                           Diagnosis& diagnosis) {
  FolderViewCheck& check = diagnosis.folder_view;
  const FolderViewHandle folder = port.OpenFolderView(view);
  if (folder == 0) {
    check.reach = FolderViewCheck::Reach::NoShellWindow;
    return;
  }
  std::vector<std::string> labels;
  labels.reserve(contents.icons.size());
  for (const IconReading& icon : contents.icons) labels.push_back(icon.label);
  check.compared = std::min(compared, labels.size());
  const std::vector<std::optional<Point>> held =
      check.compared > 0 ? port.ShellPositions(folder, labels, check.compared) : std::vector<std::optional<Point>>{};
  port.CloseFolderView(folder);
  if (held.size() != check.compared) {
    check.reach = FolderViewCheck::Reach::Unreadable;
    check.compared = 0;
    diagnosis.problems.push_back("the shell's folder view could not be read");
    return;
  }
  check.reach = FolderViewCheck::Reach::Read;
  for (std::size_t i = 0; i < held.size(); ++i) {
    const Point list_view{contents.icons[i].x, contents.icons[i].y};
    if (held[i] != list_view) check.differences.push_back({static_cast<std::int32_t>(i), list_view, held[i]});
  }
}

}  // namespace

Diagnosis Diagnose(DesktopIconView& desktop, DesktopPort& port, std::size_t compared) {
  Diagnosis diagnosis;
  diagnosis.monitors = desktop.ReadMonitors();
  try {
    const DesktopChain chain = desktop.FindDesktopChain();
    diagnosis.shape = chain.shape;
    for (const WindowHandle window : chain.windows) {
      diagnosis.chain.push_back({window, port.ClassName(window), port.WindowProcessId(window)});
    }
    const WindowHandle view = chain.view();
    if (view == 0) {
      diagnosis.problems.push_back("no desktop list view was found");
      return diagnosis;
    }
    diagnosis.shell_process = port.WindowProcessId(view);
    diagnosis.shell_bits = diagnosis.shell_process != 0 ? port.PointerBits(diagnosis.shell_process) : 0;
    diagnosis.contents = desktop.ReadDesktop(view);
    if (!diagnosis.contents) {
      diagnosis.problems.push_back("the icons could not be read from the shell's process");
      return diagnosis;
    }
    CompareWithFolderView(port, view, *diagnosis.contents, compared, diagnosis);
  } catch (const ShellNotAnswering& e) {
    diagnosis.problems.push_back(e.what());
  }
  return diagnosis;
}

std::string ShapeName(ViewShape shape) {
  switch (shape) {
    case ViewShape::Progman: return "progman";
    case ViewShape::WorkerW: return "under a WorkerW";
    case ViewShape::Shell24H2: return "24H2";
    case ViewShape::None: break;
  }
  return "none";
}

}  // namespace vandrel
