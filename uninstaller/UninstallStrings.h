// String-table identifiers of the uninstaller's own texts.
#pragma once

#define IDS_UNINSTALL_CAPTION 2001
#define IDS_UNINSTALL_NO_ADMIN 2002
#define IDS_UNINSTALL_DONE 2003
#define IDS_UNINSTALL_FOLDER_NOT_REMOVED 2004
#define IDS_UNINSTALL_NO_TEMPORARY_FOLDER 2005
