// String-table identifiers of the setup wizard's own texts. Shared by the
// C++ code and the resource script, so plain preprocessor definitions only.
#pragma once

#define IDS_APPLICATION_TITLE 3001
#define IDS_ERROR_DEFAULT 3002
#define IDS_ERROR_NO_ADMIN 3003
#define IDS_ERROR_NO_LIBRARY 3004
#define IDS_ERROR_ARCHIVE 3005
#define IDS_ERROR_UNPACK 3006
#define IDS_ERROR_STEP 3007
#define IDS_INSTALL_CANCELLING 3008
#define IDS_SUPPORT_EMAIL 3009
#define IDS_INSTALL_RUNNING 3010
#define IDS_ERROR_TARGET_NAME 3011
#define IDS_TARGET_NOT_ABSOLUTE 3012
#define IDS_TARGET_NAME_UNSUPPORTED 3013
