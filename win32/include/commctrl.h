// The common controls the driver uses (the up-down control), for the Linux builds.
#pragma once

#define UDS_WRAP        0x0001
#define UDS_SETBUDDYINT 0x0002
#define UDS_ALIGNRIGHT  0x0004
#define UDS_ALIGNLEFT   0x0008
#define UDS_AUTOBUDDY   0x0010
#define UDS_ARROWKEYS   0x0020

#ifndef RC_INVOKED
#include <windows.h>

#define UPDOWN_CLASSA "msctls_updown32"

#define ICC_UPDOWN_CLASS 0x00000010

struct INITCOMMONCONTROLSEX {
    DWORD dwSize;
    DWORD dwICC;
};

#define UDM_SETRANGE   (WM_USER + 101)
#define UDM_GETRANGE   (WM_USER + 102)
#define UDM_SETPOS     (WM_USER + 103)
#define UDM_GETPOS     (WM_USER + 104)
#define UDM_SETBUDDY   (WM_USER + 105)
#define UDM_GETBUDDY   (WM_USER + 106)
#define UDM_SETRANGE32 (WM_USER + 111)
#define UDM_GETRANGE32 (WM_USER + 112)
#define UDM_SETPOS32   (WM_USER + 113)
#define UDM_GETPOS32   (WM_USER + 114)

#define UDN_DELTAPOS (0U - 721U - 1U)

struct NMUPDOWN {
    NMHDR hdr;
    int iPos;
    int iDelta;
};

extern "C" BOOL WINAPI InitCommonControlsEx(const INITCOMMONCONTROLSEX* init);
#endif
