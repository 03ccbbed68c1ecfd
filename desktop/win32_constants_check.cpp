// The portable core carries its own copies of the Win32 numbers it sends (it builds
// where there is no <windows.h>). Here, in the Windows build, each copy is held against
// the SDK's own, so that a slip in one fails the build rather than a message.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <commctrl.h>

#include <cstddef>

#include "desktop/desktop_port.h"
#include "desktop/label_request.h"

namespace vandrel {
namespace {

static_assert(lvm::kGetItemCount == LVM_GETITEMCOUNT);
static_assert(lvm::kSetItemPosition == LVM_SETITEMPOSITION);
static_assert(lvm::kGetItemPosition == LVM_GETITEMPOSITION);
static_assert(lvm::kRedrawItems == LVM_REDRAWITEMS);
static_assert(lvm::kGetTextColor == LVM_GETTEXTCOLOR);
static_assert(lvm::kSetTextColor == LVM_SETTEXTCOLOR);
static_assert(lvm::kGetTextBkColor == LVM_GETTEXTBKCOLOR);
static_assert(lvm::kSetTextBkColor == LVM_SETTEXTBKCOLOR);
static_assert(lvm::kGetItemTextA == LVM_GETITEMTEXTA);
static_assert(lvm::kGetItemSpacing == LVM_GETITEMSPACING);
static_assert(lvm::kSetExtendedListViewStyle == LVM_SETEXTENDEDLISTVIEWSTYLE);
static_assert(lvm::kGetExtendedListViewStyle == LVM_GETEXTENDEDLISTVIEWSTYLE);

static_assert(kAutoArrangeStyle == LVS_AUTOARRANGE);
static_assert(kSnapToGrid == LVS_EX_SNAPTOGRID);
static_assert(kNoColour == CLR_NONE);
static_assert(kLabelReadAccess == (PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE));

static_assert(static_cast<int>(SystemMetric::ScreenWidth) == SM_CXSCREEN);
static_assert(static_cast<int>(SystemMetric::ScreenHeight) == SM_CYSCREEN);
static_assert(static_cast<int>(SystemMetric::IconWidth) == SM_CXICON);
static_assert(static_cast<int>(SystemMetric::IconHeight) == SM_CYICON);
static_assert(static_cast<int>(SystemMetric::IconSpacingY) == SM_CYICONSPACING);
static_assert(static_cast<int>(SystemMetric::MonitorCount) == SM_CMONITORS);

// The label request as a 64-bit shell reads it: this build is a 64-bit one, so its
// own LVITEMA is that record.
static_assert(sizeof(void*) == 8, "the 64-bit record is checked against this build's own LVITEMA");
constexpr LabelRequestLayout kWide = LabelRequestLayoutFor(64);
static_assert(kWide.record_size == sizeof(LVITEMA));
static_assert(kWide.subitem_offset == offsetof(LVITEMA, iSubItem));
static_assert(kWide.text_offset == offsetof(LVITEMA, pszText));
static_assert(kWide.text_width == sizeof(LVITEMA::pszText));
static_assert(kWide.capacity_offset == offsetof(LVITEMA, cchTextMax));

}  // namespace
}  // namespace vandrel
