#pragma once
// Resource identifiers shared by the .rc files and the code.
#define IDD_INSTALLER          103
#define IDR_RTF_LICENSE        129
#define IDR_RTF_CONTENTS       130
#define IDI_MAIN_ICON          140
#define IDI_SMALL_ICON         144
#define IDR_PACKAGE            148
#define IDR_UNINSTALLER        149
#define IDR_STREAM_FACTS       150
