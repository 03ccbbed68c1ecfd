// ICU's NFC and its full case folding (U_FOLD_CASE_DEFAULT: "ß" as "ss").
#include <unicode/normalizer2.h>
#include <unicode/unistr.h>

#include "layouts/name_fold.h"

namespace vandrel::layouts {

std::string FoldName(std::string_view utf8) {
  UErrorCode status = U_ZERO_ERROR;
  const icu::Normalizer2* nfc = icu::Normalizer2::getNFCInstance(status);
  icu::UnicodeString text =
      icu::UnicodeString::fromUTF8(icu::StringPiece(utf8.data(), static_cast<int32_t>(utf8.size())));
  if (U_SUCCESS(status)) text = nfc->normalize(text, status);
  text.foldCase(U_FOLD_CASE_DEFAULT);
  if (U_SUCCESS(status)) text = nfc->normalize(text, status);
  std::string out;
  text.toUTF8String(out);
  return out;
}

}  // namespace vandrel::layouts
