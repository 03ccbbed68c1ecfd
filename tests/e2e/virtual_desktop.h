// A display whose resolution can change: Xvfb offers one mode only, a Wine virtual
// desktop (explorer /desktop=NAME,WxH) any that fits inside it.
#pragma once

#include <optional>
#include <string>

namespace vandrel::e2e {

// Run outside the virtual desktop, starts `program` (a file in this program's folder)
// with `arguments` inside one, waits for it and answers the status it reported. Run
// inside, answers nothing: the caller is the program meant to run there, and reports
// its status with ReportVirtualDesktopStatus.
std::optional<int> RunInVirtualDesktop(const std::wstring& program, const std::wstring& arguments);
void ReportVirtualDesktopStatus(int status);

// ChangeDisplaySettingsExW on the primary display; false, with the reason on stderr,
// when it is refused.
bool SetResolution(int width, int height);

}  // namespace vandrel::e2e
