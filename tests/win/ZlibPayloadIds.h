#pragma once
// Resources of win_tests.exe for the resource loader tests (ZlibPayloads.rc).
#define IDT_ZLIB_GOOD            9101
#define IDT_ZLIB_GOOD_PLAIN      9102
#define IDT_ZLIB_BAD_HEADER      9103
#define IDT_ZLIB_BAD_ADLER       9104
#define IDT_ZLIB_TRUNCATED       9105
#define IDT_ZLIB_BAD_BLOCK       9106
#define IDT_ZLIB_EMPTY_CONTENTS  9107
#define IDT_RTF_SAMPLE           9108
#define IDT_MISSING              9199
