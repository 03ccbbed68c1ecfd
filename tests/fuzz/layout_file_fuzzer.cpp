// libFuzzer target for the layout file reader. A file is either refused with one line
// that names it, or taken whole: then writing the record out and reading it back must
// give the very same record, so that nothing a reader accepts is lost on the next save.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "layouts/layout_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vandrel::layouts;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  LayoutRecord record;
  try {
    record = ParseLayout(bytes, "fuzz.json");
  } catch (const LayoutFileError& e) {
    const std::string_view what = e.what();
    if (what.find("\"fuzz.json\"") == std::string_view::npos || what.find('\n') != std::string_view::npos) {
      std::fprintf(stderr, "refused without naming the file in one line: %s\n", e.what());
      std::abort();
    }
    return 0;
  }
  try {
    if (ParseLayout(FormatLayout(record), "again.json") == record) return 0;
    std::fprintf(stderr, "the record read back differs from the one written\n");
  } catch (const LayoutFileError& e) {
    std::fprintf(stderr, "a record written is refused: %s\n", e.what());
  }
  std::abort();
}
