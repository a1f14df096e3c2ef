// Resource numbers of kv4.exe.
#pragma once
#define IDI_KV4 1
#define IDS_TITLE 1
