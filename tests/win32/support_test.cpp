// The Win32 support layer where it can go wrong: text that does not convert, handles
// closed twice or not at all, a file held by another process, the system's reasons.
#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "desktop/utf8_text.h"
#include "layouts/atomic_file.h"
#include "win32/error.h"
#include "win32/handles.h"
#include "win32/retry.h"
#include "win32/text.h"

namespace vandrel::win32 {
namespace {

namespace fs = std::filesystem;

TEST(SupportText, Utf8DecodesAndInvalidBytesBecomeReplacementCharacters) {
  const struct {
    std::string utf8;
    std::u16string utf16;
  } cases[] = {
      {"", u""},
      {"Recycle Bin", u"Recycle Bin"},
      {"\xE5\x9B\x9E\xE6\x94\xB6\xE7\xAB\x99", u"\u56DE\u6536\u7AD9"},
      {"\xF0\x9F\x98\x80!", u"\U0001F600!"},
      {std::string("a\0b", 3), std::u16string(u"a\0b", 3)},
      {"a\xFF"
       "b",
       u"a\uFFFDb"},
      {"\x80", u"\uFFFD"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FromUtf8(c.utf8), c.utf16) << c.utf8;
    EXPECT_EQ(WideFromUtf8(c.utf8), std::wstring(c.utf16.begin(), c.utf16.end())) << c.utf8;
  }
  // A sequence cut short keeps what came before and ends in replacement characters.
  const std::u16string cut = FromUtf8("ab\xE5\x9B");
  ASSERT_GE(cut.size(), 3u);
  EXPECT_EQ(cut.substr(0, 2), u"ab");
  for (const char16_t c : cut.substr(2)) EXPECT_EQ(c, u'\uFFFD');
}

// The system's encoder and the portable one the layouts use must agree, lone
// surrogates included, or a name saved from the window would not match the same name
// read from the desktop.
TEST(SupportText, SystemUtf8EncoderAgreesWithThePortableOne) {
  const std::u16string cases[] = {
      u"",
      u"Computer",
      u"\u00E9\u56DE\U0001F600",
      std::u16string{u'a', char16_t(0xD800), u'b'},
      std::u16string{char16_t(0xDC00), u'x'},
      std::u16string{u'x', char16_t(0xDBFF)},
  };
  for (const auto& text : cases) {
    EXPECT_EQ(ToUtf8(text), Utf16ToUtf8(text));
    EXPECT_EQ(ToUtf8(std::wstring_view(reinterpret_cast<const wchar_t*>(text.data()), text.size())), Utf16ToUtf8(text));
  }
}

TEST(SupportText, LengthsBeyondIntAreRefused) {
  constexpr auto kIntMax = static_cast<std::size_t>(INT_MAX);
  for (const std::size_t fits : {std::size_t{0}, std::size_t{1}, kIntMax}) {
    EXPECT_EQ(static_cast<std::size_t>(CheckedLength(fits)), fits);
  }
  for (const std::size_t too_long : {kIntMax + 1, SIZE_MAX}) {
    EXPECT_THROW(CheckedLength(too_long), std::length_error) << too_long;
  }
}

bool IsOpen(HANDLE handle) {
  DWORD flags = 0;
  return GetHandleInformation(handle, &flags) != 0;
}

TEST(SupportHandles, EachHandleIsClosedOnceByItsLastOwner) {
  struct Outcome {
    bool first_open, second_open, first_owns, second_owns;
  };
  const struct {
    const char* what;
    std::function<void(Handle&, Handle&)> step;
    Outcome expected;
  } cases[] = {
      {"kept", [](Handle&, Handle&) {}, {true, true, true, true}},
      {"reset", [](Handle& a, Handle&) { a.reset(); }, {false, true, false, true}},
      {"moved over another", [](Handle& a, Handle& b) { b = std::move(a); }, {true, false, false, true}},
      {"moved into itself",
       [](Handle& a, Handle&) {
         Handle& same = a;
         a = std::move(same);
       },
       {true, true, true, true}},
      {"released", [](Handle& a, Handle&) { CloseHandle(a.release()); }, {false, true, false, true}},
      {"written over", [](Handle& a, Handle&) { *a.put() = nullptr; }, {false, true, false, true}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Handle a(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    Handle b(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    const HANDLE first = a.get();
    const HANDLE second = b.get();
    ASSERT_TRUE(a && b);
    c.step(a, b);
    EXPECT_EQ(IsOpen(first), c.expected.first_open);
    EXPECT_EQ(IsOpen(second), c.expected.second_open);
    EXPECT_EQ(static_cast<bool>(a), c.expected.first_owns);
    EXPECT_EQ(static_cast<bool>(b), c.expected.second_owns);
    {
      const Handle last_a(a.release());
      const Handle last_b(b.release());
    }
    EXPECT_FALSE(IsOpen(first));
    EXPECT_FALSE(IsOpen(second));
  }
}

TEST(SupportHandles, AGdiObjectIsDeletedByItsLastOwner) {
  EXPECT_FALSE(FileHandle(INVALID_HANDLE_VALUE));
  Font font(CreateFontW(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                        CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"Tahoma"));
  const HFONT made = font.get();
  Font taken = std::move(font);
  EXPECT_FALSE(font);
  EXPECT_NE(GetObjectType(made), 0u);
  taken.reset();
  EXPECT_EQ(GetObjectType(made), 0u);
}

TEST(SupportErrors, TheSystemsReasonWithoutItsFullStop) {
  const struct {
    DWORD code;
    std::string starts;
  } cases[] = {
      {ERROR_FILE_NOT_FOUND, "Cannot open it: "},
      {ERROR_ACCESS_DENIED, "Cannot open it: "},
      {0x2000FFFF, "Cannot open it: error 536936447"},
  };
  for (const auto& c : cases) {
    SetLastError(c.code);
    try {
      ThrowLastError("Cannot open it");
      ADD_FAILURE() << "nothing thrown";
    } catch (const Win32Error& e) {
      const std::string what = e.what();
      EXPECT_EQ(e.code(), c.code);
      EXPECT_EQ(what.rfind(c.starts, 0), 0u) << what;
      EXPECT_NE(what.back(), '.') << what;
      EXPECT_NE(what.back(), '\n') << what;
    }
  }
  SetLastError(ERROR_INVALID_HANDLE);
  EXPECT_THROW(Checked(static_cast<HANDLE>(nullptr), "Cannot have it"), Win32Error);
}

TEST(SupportRetry, TriesAgainOnlyWhileAnotherProcessHoldsTheFile) {
  const struct {
    std::vector<DWORD> answers;  // the last one repeats
    int tries;
    DWORD result;
    int attempts;
  } cases[] = {
      {{ERROR_SUCCESS}, 10, ERROR_SUCCESS, 1},
      {{ERROR_SHARING_VIOLATION, ERROR_ACCESS_DENIED, ERROR_SUCCESS}, 10, ERROR_SUCCESS, 3},
      {{ERROR_SHARING_VIOLATION, ERROR_FILE_NOT_FOUND}, 10, ERROR_FILE_NOT_FOUND, 2},
      {{ERROR_PATH_NOT_FOUND}, 10, ERROR_PATH_NOT_FOUND, 1},
      // Given up on: the last answer, after exactly the tries allowed.
      {{ERROR_SHARING_VIOLATION}, 4, ERROR_SHARING_VIOLATION, 4},
      {{ERROR_ACCESS_DENIED}, 1, ERROR_ACCESS_DENIED, 1},
  };
  for (const auto& c : cases) {
    int attempts = 0;
    const DWORD result = RetryWhileShared(
        [&] {
          const std::size_t at = static_cast<std::size_t>(attempts++);
          return c.answers[at < c.answers.size() ? at : c.answers.size() - 1];
        },
        c.tries, 0);
    EXPECT_EQ(result, c.result);
    EXPECT_EQ(attempts, c.attempts);
  }
}

// End to end through the layouts' file replacement: a reader holding the file without
// sharing it for longer than the tries last makes the write fail and leave the file as
// it was; one that lets go in time does not.
TEST(SupportRetry, AFileReplacedOnceItsReaderLetsGo) {
  const fs::path folder = fs::temp_directory_path() / ("vandrel-retry-" + std::to_string(GetCurrentProcessId()));
  fs::create_directories(folder);
  const fs::path file = folder / "layout.json";
  std::ofstream(file, std::ios::binary) << "old";
  const auto hold = [&] {
    return FileHandle(CreateFileW(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  };
  const auto contents = [&] {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  };
  {
    const FileHandle reader = hold();
    ASSERT_TRUE(reader);
    EXPECT_THROW(layouts::WriteFileAtomically(file, "new"), fs::filesystem_error);
  }
  EXPECT_EQ(contents(), "old");
  EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);

  FileHandle reader = hold();
  ASSERT_TRUE(reader);
  std::thread lets_go([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(3 * kSharedPauseMs));
    reader.reset();
  });
  layouts::WriteFileAtomically(file, "new");
  lets_go.join();
  EXPECT_EQ(contents(), "new");
  fs::remove_all(folder);
}

}  // namespace
}  // namespace vandrel::win32
