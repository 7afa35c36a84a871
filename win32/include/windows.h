// The subset of the Win32 API that the driver calls, for the Linux builds. Declarations
// and constants are written from what the driver needs; behaviour lives in the headless
// layer (win32/*.cpp). The resource script includes this file too, so it keeps to plain
// #defines where the resource compiler or the headless template reader must see a value.
#pragma once

#define WS_OVERLAPPED      0x00000000L
#define WS_POPUP           0x80000000L
#define WS_CHILD           0x40000000L
#define WS_VISIBLE         0x10000000L
#define WS_DISABLED        0x08000000L
#define WS_CAPTION         0x00C00000L
#define WS_BORDER          0x00800000L
#define WS_VSCROLL         0x00200000L
#define WS_HSCROLL         0x00100000L
#define WS_SYSMENU         0x00080000L
#define WS_GROUP           0x00020000L
#define WS_TABSTOP         0x00010000L

#define DS_MODALFRAME      0x0080L
#define DS_SETFONT         0x0040L
#define DS_CENTER          0x0800L

#define BS_PUSHBUTTON      0x0000L
#define BS_DEFPUSHBUTTON   0x0001L
#define BS_CHECKBOX        0x0002L
#define BS_AUTOCHECKBOX    0x0003L
#define BS_RADIOBUTTON     0x0004L
#define BS_GROUPBOX        0x0007L
#define BS_AUTORADIOBUTTON 0x0009L
#define BS_OWNERDRAW       0x000BL
#define BS_TYPEMASK        0x000FL

#define SS_LEFT            0x0000L
#define SS_CENTER          0x0001L
#define SS_RIGHT           0x0002L
#define SS_BITMAP          0x000EL

#define ES_LEFT            0x0000L
#define ES_AUTOHSCROLL     0x0080L

#define CBS_DROPDOWNLIST   0x0003L

#define SBS_HORZ           0x0000L
#define SBS_VERT           0x0001L

#define IDOK     1
#define IDCANCEL 2
#define IDYES    6
#define IDNO     7

#ifndef RC_INVOKED
#include <cstdint>

#define WINAPI __attribute__((stdcall))
#define CALLBACK __attribute__((stdcall))

typedef int BOOL;
typedef unsigned int UINT;
typedef unsigned long DWORD;
typedef uint16_t WORD;
typedef uint8_t BYTE;
typedef long LONG;
typedef int INT;
typedef intptr_t INT_PTR;
typedef intptr_t LONG_PTR;
typedef uintptr_t UINT_PTR;
typedef UINT_PTR WPARAM;
typedef LONG_PTR LPARAM;
typedef LONG_PTR LRESULT;
typedef void* LPVOID;
typedef const char* LPCSTR;
typedef char* LPSTR;
typedef DWORD COLORREF;

struct HWND__;
typedef HWND__* HWND;
struct HINSTANCE__;
typedef HINSTANCE__* HINSTANCE;
typedef HINSTANCE HMODULE;
struct HGDIOBJ__;
typedef HGDIOBJ__* HGDIOBJ;
typedef HGDIOBJ HBITMAP;
typedef HGDIOBJ HPEN;
typedef HGDIOBJ HBRUSH;
struct HDC__;
typedef HDC__* HDC;
struct HCURSOR__;
typedef HCURSOR__* HCURSOR;

typedef INT_PTR(CALLBACK* DLGPROC)(HWND, UINT, WPARAM, LPARAM);
typedef LRESULT(CALLBACK* WNDPROC)(HWND, UINT, WPARAM, LPARAM);

struct RECT {
    LONG left, top, right, bottom;
};
typedef RECT* LPRECT;
struct POINT {
    LONG x, y;
};

struct DRAWITEMSTRUCT {
    UINT CtlType;
    UINT CtlID;
    UINT itemID;
    UINT itemAction;
    UINT itemState;
    HWND hwndItem;
    HDC hDC;
    RECT rcItem;
    UINT_PTR itemData;
};
typedef DRAWITEMSTRUCT* LPDRAWITEMSTRUCT;

struct NMHDR {
    HWND hwndFrom;
    UINT_PTR idFrom;
    UINT code;
};

struct BITMAP {
    LONG bmType;
    LONG bmWidth;
    LONG bmHeight;
    LONG bmWidthBytes;
    WORD bmPlanes;
    WORD bmBitsPixel;
    LPVOID bmBits;
};

#define TRUE 1
#define FALSE 0

#define LOWORD(l) ((WORD)(((UINT_PTR)(l)) & 0xFFFF))
#define HIWORD(l) ((WORD)((((UINT_PTR)(l)) >> 16) & 0xFFFF))
#define MAKELONG(a, b) ((LONG)(((WORD)(((UINT_PTR)(a)) & 0xFFFF)) | ((DWORD)((WORD)(((UINT_PTR)(b)) & 0xFFFF))) << 16))
#define MAKEWPARAM(l, h) ((WPARAM)(DWORD)MAKELONG(l, h))
#define MAKELPARAM(l, h) ((LPARAM)(DWORD)MAKELONG(l, h))
#define MAKEINTRESOURCEA(i) ((LPSTR)((UINT_PTR)((WORD)(i))))
#define IS_INTRESOURCE(p) ((((UINT_PTR)(p)) >> 16) == 0)
#define RGB(r, g, b) ((COLORREF)(((BYTE)(r) | ((WORD)((BYTE)(g)) << 8)) | (((DWORD)(BYTE)(b)) << 16)))
#define GetRValue(c) ((BYTE)(c))
#define GetGValue(c) ((BYTE)(((WORD)(c)) >> 8))
#define GetBValue(c) ((BYTE)((c) >> 16))

#define MB_OK                0x00000000L
#define MB_OKCANCEL          0x00000001L
#define MB_YESNOCANCEL       0x00000003L
#define MB_YESNO             0x00000004L
#define MB_TYPEMASK          0x0000000FL
#define MB_ICONQUESTION      0x00000020L
#define MB_ICONEXCLAMATION   0x00000030L
#define MB_ICONINFORMATION   0x00000040L
#define MB_ICONMASK          0x000000F0L
#define MB_SETFOREGROUND     0x00010000L

#define WM_DESTROY        0x0002
#define WM_SETFOCUS       0x0007
#define WM_KILLFOCUS      0x0008
#define WM_ENABLE         0x000A
#define WM_SETTEXT        0x000C
#define WM_GETTEXT        0x000D
#define WM_GETTEXTLENGTH  0x000E
#define WM_PAINT          0x000F
#define WM_CLOSE          0x0010
#define WM_DRAWITEM       0x002B
#define WM_NOTIFY         0x004E
#define WM_INITDIALOG     0x0110
#define WM_COMMAND        0x0111
#define WM_SYSCOMMAND     0x0112
#define WM_HSCROLL        0x0114
#define WM_VSCROLL        0x0115
#define WM_MOUSEMOVE      0x0200
#define WM_LBUTTONDOWN    0x0201
#define WM_LBUTTONUP      0x0202
#define WM_CAPTURECHANGED 0x0215
#define WM_USER           0x0400

#define SC_CLOSE 0xF060

#define MK_LBUTTON 0x0001

#define BN_CLICKED 0

#define EN_SETFOCUS  0x0100
#define EN_KILLFOCUS 0x0200
#define EN_CHANGE    0x0300
#define EN_UPDATE    0x0400

#define CBN_SELCHANGE 1
#define CBN_SETFOCUS  3
#define CBN_KILLFOCUS 4

#define EM_GETSEL       0x00B0
#define EM_SETSEL       0x00B1
#define EM_LIMITTEXT    0x00C5
#define EM_SETLIMITTEXT EM_LIMITTEXT
#define EM_GETLIMITTEXT 0x00D5

#define BM_GETCHECK 0x00F0
#define BM_SETCHECK 0x00F1
#define BM_CLICK    0x00F5

#define BST_UNCHECKED 0
#define BST_CHECKED   1

#define CB_ERR -1
#define CB_ADDSTRING    0x0143
#define CB_GETCOUNT     0x0146
#define CB_GETCURSEL    0x0147
#define CB_GETLBTEXT    0x0148
#define CB_GETLBTEXTLEN 0x0149
#define CB_RESETCONTENT 0x014B
#define CB_SETCURSEL    0x014E

#define SB_LINEUP        0
#define SB_LINEDOWN      1
#define SB_PAGEUP        2
#define SB_PAGEDOWN      3
#define SB_THUMBPOSITION 4
#define SB_THUMBTRACK    5
#define SB_TOP           6
#define SB_BOTTOM        7
#define SB_ENDSCROLL     8

#define ODT_BUTTON      4
#define ODA_DRAWENTIRE  0x0001

#define GWLP_WNDPROC   (-4)
#define GWLP_HINSTANCE (-6)
#define GWLP_USERDATA  (-21)

#define IDC_ARROW MAKEINTRESOURCEA(32512)
#define IDC_CROSS MAKEINTRESOURCEA(32515)

#define PS_SOLID 0
#define SRCCOPY  0x00CC0020UL

extern "C" {
HMODULE WINAPI GetModuleHandleA(LPCSTR module_name);

INT_PTR WINAPI DialogBoxParamA(HINSTANCE instance, LPCSTR template_name, HWND owner, DLGPROC proc, LPARAM param);
BOOL WINAPI EndDialog(HWND dialog, INT_PTR result);
int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);

LRESULT WINAPI SendMessageA(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
LRESULT WINAPI SendDlgItemMessageA(HWND dialog, int id, UINT message, WPARAM wparam, LPARAM lparam);
LRESULT WINAPI CallWindowProcA(WNDPROC proc, HWND window, UINT message, WPARAM wparam, LPARAM lparam);
LONG_PTR WINAPI GetWindowLongPtrA(HWND window, int index);
LONG_PTR WINAPI SetWindowLongPtrA(HWND window, int index, LONG_PTR value);

HWND WINAPI GetDlgItem(HWND dialog, int id);
int WINAPI GetDlgCtrlID(HWND window);
HWND WINAPI GetParent(HWND window);
BOOL WINAPI SetDlgItemTextA(HWND dialog, int id, LPCSTR text);
UINT WINAPI GetDlgItemTextA(HWND dialog, int id, LPSTR text, int max);
BOOL WINAPI SetDlgItemInt(HWND dialog, int id, UINT value, BOOL is_signed);
BOOL WINAPI CheckRadioButton(HWND dialog, int first, int last, int check);
BOOL WINAPI CheckDlgButton(HWND dialog, int id, UINT check);
UINT WINAPI IsDlgButtonChecked(HWND dialog, int id);
BOOL WINAPI EnableWindow(HWND window, BOOL enable);
BOOL WINAPI IsWindowEnabled(HWND window);
HWND WINAPI SetFocus(HWND window);
HWND WINAPI GetFocus(void);
BOOL WINAPI GetClientRect(HWND window, LPRECT rect);
BOOL WINAPI InvalidateRect(HWND window, const RECT* rect, BOOL erase);
HWND WINAPI SetCapture(HWND window);
BOOL WINAPI ReleaseCapture(void);
HWND WINAPI GetCapture(void);
HCURSOR WINAPI LoadCursorA(HINSTANCE instance, LPCSTR name);
HCURSOR WINAPI SetCursor(HCURSOR cursor);

HBITMAP WINAPI LoadBitmapA(HINSTANCE instance, LPCSTR name);
HDC WINAPI CreateCompatibleDC(HDC dc);
BOOL WINAPI DeleteDC(HDC dc);
HGDIOBJ WINAPI SelectObject(HDC dc, HGDIOBJ object);
BOOL WINAPI DeleteObject(HGDIOBJ object);
int WINAPI GetObjectA(HGDIOBJ object, int size, LPVOID out);
BOOL WINAPI StretchBlt(HDC dest, int x, int y, int w, int h, HDC src, int sx, int sy, int sw, int sh, DWORD rop);
HPEN WINAPI CreatePen(int style, int width, COLORREF color);
HBRUSH WINAPI CreateSolidBrush(COLORREF color);
int WINAPI FillRect(HDC dc, const RECT* rect, HBRUSH brush);
BOOL WINAPI Polyline(HDC dc, const POINT* points, int count);
}
#endif
