// String-table identifiers of the engine's texts. Shared by the C++ code and
// the resource scripts, so plain preprocessor definitions only.
#pragma once

#define IDS_PRODUCT_SHORTCUT 1101
#define IDS_UNINSTALL_SHORTCUT 1102
#define IDS_TUTORIAL_SHORTCUT 1103
#define IDS_PRODUCT_DESCRIPTION 1104
#define IDS_MAKER_URL 1105
