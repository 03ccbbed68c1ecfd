// The ids vandrel.rc and the code share. Plain macros: the resource compiler reads
// this header with the C preprocessor alone.
#pragma once

// "Save layout...": the dialog and its controls; OK is IDOK (1), Cancel IDCANCEL (2).
#define VANDREL_SAVE_LAYOUT_DIALOG 100
#define VANDREL_LAYOUT_NAME_LABEL 1001
#define VANDREL_LAYOUT_NAME_EDIT 1002
