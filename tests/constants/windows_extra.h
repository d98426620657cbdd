/* Real Windows constants that the mingw-w64 headers lack, for tests/constants/check.py. Each one
   carries its source; add one here only with a reference that it is the real value. */
#pragma once

/* Undocumented ("internal" in the SDK's winuser.w), sent by DefWindowProc on F1; Wine's
   include/winuser.h: #define WM_KEYF1 0x004d. */
#ifndef WM_KEYF1
#define WM_KEYF1 0x004D
#endif

/* mingw-w64 defines these basetsd.h helpers as inline functions, which are not constant
   expressions; the checks use these macro equivalents (same conversions) instead. */
#undef LongToHandle
#define LongToHandle(h) ((HANDLE)(LONG_PTR)(long)(h))
#undef IntToPtr
#define IntToPtr(i) ((void*)(INT_PTR)(int)(i))
#undef UIntToPtr
#define UIntToPtr(ui) ((void*)(UINT_PTR)(unsigned int)(ui))
#undef LongToPtr
#define LongToPtr(l) ((void*)(LONG_PTR)(long)(l))
#undef ULongToPtr
#define ULongToPtr(ul) ((void*)(ULONG_PTR)(unsigned long)(ul))
