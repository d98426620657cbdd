// CSpinButtonCtrl: the up-down messages of the pool size dialog. Refers to the control.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "platform/CWnd.h"

class CSpinButtonCtrl : public CWnd {
public:
    BOOL SetAccel(int nAccel, UDACCEL* pAccel);
    void SetRange(int nLower, int nUpper);
    // Returns the previous position.
    int SetPos(int nPos);
};
