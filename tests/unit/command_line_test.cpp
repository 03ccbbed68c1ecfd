// The command line's grammar: which arguments make which command, and which are refused
// as bad usage before anything runs.
#include "app/command_line.h"
#include "app/command_figures.h"
#include "app/program_name.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vandrel::cli {
namespace {

struct Accepted {
  std::vector<std::string> arguments;
  Action action;
  std::optional<std::string> name;
  Figure figure = Figure::Left;
  std::optional<std::int32_t> step = std::nullopt;
  std::optional<std::int32_t> radius = std::nullopt;
};

TEST(ProgramName, TheArgumentsBeginAfterTheNameWhereverItsQuotesLie) {
  const struct { const wchar_t* line; const wchar_t* arguments; } cases[] = {
      {L"vandrel", L""},
      {L"vandrel   \t", L""},
      {L"vandrel layout list", L"layout list"},
      {L"vandrel\tundo", L"undo"},
      {L"\"C:\\Program Files\\Vandrel\\vandrel.exe\" layout save \"at home\"", L"layout save \"at home\""},
      // Quotes inside the name, as cmd.exe passes a path typed so: no split at its blank.
      {L"C:\\\"Program Files\"\\Vandrel\\vandrel layout list", L"layout list"},
      {L"\"vandrel\"undo", L""},
      {L"vandrel \"\"", L"\"\""},
      // An unclosed quote takes the rest of the line into the name.
      {L"\"C:\\Vandrel\\vandrel layout list", L""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ArgumentsAfterProgramName(c.line), std::wstring_view(c.arguments))
        << std::string(c.line, c.line + std::wstring_view(c.line).size());
  }
}

TEST(CommandLine, ReadsEveryCommandWithItsDefaults) {
  const Accepted cases[] = {
      {{"layout", "save", "desk 1"}, Action::SaveLayout, "desk 1"},
      {{"layout", "restore"}, Action::RestoreLayout, std::nullopt},
      {{"layout", "restore", "布局"}, Action::RestoreLayout, "布局"},
      {{"layout", "list"}, Action::ListLayouts, std::nullopt},
      {{"layout", "delete", "--", "-x"}, Action::DeleteLayout, "-x"},
      {{"undo"}, Action::Undo, std::nullopt},
      {{"doctor"}, Action::Doctor, std::nullopt},
      {{"watch"}, Action::Watch, std::nullopt},
      {{"watch", "--stop"}, Action::StopWatching, std::nullopt},
      // The line figures' default is the icon spacing, read when the figure runs.
      {{"figure", "left"}, Action::Figure, std::nullopt, Figure::Left},
      {{"figure", "bottom", "--step", "08"}, Action::Figure, std::nullopt, Figure::Bottom, 8},
      {{"figure", "top", "--step=+75"}, Action::Figure, std::nullopt, Figure::Top, 75},
      {{"figure", "cross"}, Action::Figure, std::nullopt, Figure::Cross, kTestWindowStep},
      {{"figure", "walk", "--step", "-5"}, Action::Figure, std::nullopt, Figure::Walk, -5},
      {{"figure", "right", "--step", "-2147483648"}, Action::Figure, std::nullopt, Figure::Right, INT32_MIN},
      {{"figure", "circle"}, Action::Figure, std::nullopt, Figure::Circle},
      {{"figure", "circle", "--radius", "200"}, Action::Figure, std::nullopt, Figure::Circle, std::nullopt, 200},
      {{"figure", "rings"}, Action::Figure, std::nullopt, Figure::Rings, std::nullopt, kTestWindowRadius},
      {{"figure", "rings", "--radius", "0"}, Action::Figure, std::nullopt, Figure::Rings, std::nullopt, 0},
      {{"figure", "sine"}, Action::Figure, std::nullopt, Figure::Sine},
      {{"figure", "cosine"}, Action::Figure, std::nullopt, Figure::Cosine},
      {{"figure", "red-labels"}, Action::Figure, std::nullopt, Figure::RedLabels},
  };
  for (const Accepted& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.arguments));
    const ParsedCommandLine parsed = ParseCommandLine(c.arguments, "1.2.3");
    ASSERT_TRUE(parsed.command.has_value()) << parsed.error;
    EXPECT_EQ(parsed.exit_status, 0);
    EXPECT_EQ(parsed.command->action, c.action);
    EXPECT_EQ(parsed.command->name, c.name);
    if (c.action != Action::Figure) continue;
    EXPECT_EQ(parsed.command->figure, c.figure);
    EXPECT_EQ(parsed.command->step, c.step);
    EXPECT_EQ(parsed.command->radius, c.radius);
  }
}

TEST(CommandLine, RedoAndTheOptionsThatGoWithoutAnUndoCopyOrOverALayout) {
  const struct {
    std::vector<std::string> arguments;
    Action action;
    bool no_undo;
    bool replace;
  } cases[] = {
      {{"redo"}, Action::Redo, false, false},
      {{"redo", "--no-undo"}, Action::Redo, true, false},
      {{"figure", "left", "--no-undo"}, Action::Figure, true, false},
      {{"layout", "restore", "w", "--no-undo"}, Action::RestoreLayout, true, false},
      {{"layout", "save", "w", "--replace"}, Action::SaveLayout, false, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.arguments));
    const ParsedCommandLine parsed = ParseCommandLine(c.arguments, "1.2.3");
    ASSERT_TRUE(parsed.command.has_value()) << parsed.error;
    EXPECT_EQ(parsed.command->action, c.action);
    EXPECT_EQ(parsed.command->no_undo, c.no_undo);
    EXPECT_EQ(parsed.command->replace, c.replace);
  }
  for (const std::vector<std::string>& bad : {std::vector<std::string>{"layout", "list", "--no-undo"},
                                               std::vector<std::string>{"figure", "left", "--replace"}}) {
    EXPECT_EQ(ParseCommandLine(bad, "1.2.3").exit_status, kBadUsage) << testing::PrintToString(bad);
  }
}

TEST(CommandLine, RefusesBadUsageWithAReason) {
  const std::vector<std::string> cases[] = {
      {},
      {"layout"},
      {"layout", "save"},
      {"layout", "save", "a", "b"},
      {"layout", "rename", "a"},
      {"undo", "now"},
      {"watch", "now"},
      {"figure"},
      {"figure", "spiral"},
      {"figure", "sine", "--step", "3"},
      {"figure", "red-labels", "--radius", "3"},
      {"figure", "left", "--radius", "3"},
      {"figure", "circle", "--step", "3"},
      {"figure", "left", "--step", "0x10"},
      {"figure", "left", "--step", "2147483648"},
      {"figure", "left", "--step", "+-3"},
      {"figure", "left", "--step", "3 "},
      {"figure", "left", "--step", ""},
      {"figure", "left", "--step"},
      {"--step", "3", "figure", "left"},
      {"draw"},
  };
  for (const std::vector<std::string>& arguments : cases) {
    SCOPED_TRACE(testing::PrintToString(arguments));
    const ParsedCommandLine parsed = ParseCommandLine(arguments, "1.2.3");
    EXPECT_FALSE(parsed.command.has_value());
    EXPECT_EQ(parsed.exit_status, kBadUsage);
    EXPECT_FALSE(parsed.error.empty());
    EXPECT_TRUE(parsed.output.empty());
  }
}

// Every row of the figures' table parses, with its option and without, and is listed
// once in the help: a row the parser or the help leaves out cannot be run or found.
TEST(CommandLine, EveryFigureOfTheTableParsesAndIsListedOnce) {
  const std::string help = ParseCommandLine({"--help"}, "1.2.3").output;
  const std::string figure_help = ParseCommandLine({"figure", "--help"}, "1.2.3").output;
  for (std::size_t i = 0; i < std::size(kFigures); ++i) {
    const FigureRow& row = kFigures[i];
    const std::string name(row.name);
    SCOPED_TRACE(name);
    // In the enumeration's order, so that every figure a command names has its row.
    EXPECT_EQ(static_cast<std::size_t>(row.figure), i);
    const ParsedCommandLine plain = ParseCommandLine({"figure", name}, "1.2.3");
    ASSERT_TRUE(plain.command.has_value()) << plain.error;
    EXPECT_EQ(plain.command->figure, row.figure);
    const bool takes_step = row.option == FigureOption::Step;
    const bool takes_radius = row.option == FigureOption::Radius;
    EXPECT_EQ(plain.command->step, takes_step ? row.default_value : std::nullopt);
    EXPECT_EQ(plain.command->radius, takes_radius ? row.default_value : std::nullopt);
    const ParsedCommandLine with_step = ParseCommandLine({"figure", name, "--step", "9"}, "1.2.3");
    EXPECT_EQ(with_step.command.has_value(), takes_step) << with_step.error;
    if (takes_step) {
      EXPECT_EQ(with_step.command->step, 9);
    }
    const ParsedCommandLine with_radius = ParseCommandLine({"figure", name, "--radius", "9"}, "1.2.3");
    EXPECT_EQ(with_radius.command.has_value(), takes_radius) << with_radius.error;
    if (takes_radius) {
      EXPECT_EQ(with_radius.command->radius, 9);
    }

    // As an item of the list: the name after a blank, before a comma, a note or the full stop.
    std::size_t listed = 0;
    for (std::size_t at = help.find(name); at != std::string::npos; at = help.find(name, at + 1)) {
      const char before = at == 0 ? '\n' : help[at - 1];
      const char after = at + name.size() < help.size() ? help[at + name.size()] : '\n';
      const bool item = (before == ' ' || before == '\n') &&
                        (after == ',' || after == '.' || help.compare(at + name.size(), 2, " (") == 0);
      if (item) ++listed;
    }
    EXPECT_EQ(listed, 1u) << help;
    EXPECT_NE(figure_help.find(name), std::string::npos);
  }
}

TEST(CommandLine, HelpAndVersionAreOutputNotErrors) {
  const ParsedCommandLine version = ParseCommandLine({"--version"}, "1.2.3");
  EXPECT_EQ(version.exit_status, 0);
  EXPECT_FALSE(version.command.has_value());
  EXPECT_EQ(version.output, "vandrel 1.2.3\n");

  const ParsedCommandLine help = ParseCommandLine({"--help"}, "1.2.3");
  EXPECT_EQ(help.exit_status, 0);
  EXPECT_FALSE(help.command.has_value());
  for (const char* word : {"layout", "undo", "figure", "red-labels", "VANDREL_DATA_DIR"}) {
    EXPECT_NE(help.output.find(word), std::string::npos) << word;
  }

  const ParsedCommandLine figure_help = ParseCommandLine({"figure", "--help"}, "1.2.3");
  EXPECT_EQ(figure_help.exit_status, 0);
  EXPECT_NE(figure_help.output.find("--radius"), std::string::npos);
}

}  // namespace
}  // namespace vandrel::cli
