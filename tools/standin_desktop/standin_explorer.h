// What Explorer does to the desktop's icons by itself, played by the stand-in: after a
// display change it fits its view to the new screen and lays the icons into its grid,
// a moment after the change has been announced; on request it scrambles them (as
// Windows may move them before it tells anyone of a change), or restarts (a new view,
// the icons in their default order) and announces "TaskbarCreated".
//
// Requests are registered window messages sent to any of the stand-in's top-level
// windows: "VandrelStandinScramble" (wParam: a seed) and "VandrelStandinRestart".
#pragma once

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <functional>
#include <vector>

namespace standin {

inline constexpr wchar_t kScrambleMessage[] = L"VandrelStandinScramble";
inline constexpr wchar_t kRestartMessage[] = L"VandrelStandinRestart";
// From the display change to the icons in their grid.
inline constexpr UINT kGridDelayMs = 150;

// A new view under `parent` covering `work_area`, filled with the icons; null on failure.
using MakeView = std::function<HWND(HWND parent, const RECT& work_area)>;

// From now on `view` and the `top_levels` follow the display and take requests.
void ActLikeExplorer(HWND view, std::vector<HWND> top_levels, MakeView make_view);
// WM_DISPLAYCHANGE as one of the top-level windows got it.
void OnDisplayChange(HWND window);
// True when `message` is one of the requests, and it was carried out.
bool OnRequest(UINT message, WPARAM wparam);

}  // namespace standin
