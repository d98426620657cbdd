// The three kinds of message box. Every message the program shows goes through exactly one.
#pragma once

#include <windows.h>

// A box with no owner window and an explicit caption.
int OwnerlessMessageBox(const char* pszText, const char* pszCaption, UINT nType);

// The application message box: the application's title as caption, owned by the active window.
// An OK box asked for without an icon gets the exclamation icon.
int AfxMessageBox(const char* pszText, UINT nType = MB_OK);

// A dialog's own box, owned by that dialog.
int DialogMessageBox(HWND hDialog, const char* pszText, const char* pszCaption, UINT nType);

// The owner of a box or a modal dialog shown without a parent window: the active window, raised
// to its top-level window (a pop-up cannot be owned by a child). NULL while no window of ours is
// active, as before the main dialog opens.
HWND AfxGetOwnerWindow();
