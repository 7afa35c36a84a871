// The subset of the Win32 API that the driver calls, for the Linux builds. Declarations
// and constants are written from what the driver needs; behaviour lives in headless.cpp.
#pragma once
#include <cstdint>

#define WINAPI __attribute__((stdcall))
#define CALLBACK __attribute__((stdcall))

typedef int BOOL;
typedef unsigned int UINT;
typedef unsigned long DWORD;
typedef uint16_t WORD;
typedef uint8_t BYTE;
typedef long LONG;
typedef intptr_t INT_PTR;
typedef intptr_t LONG_PTR;
typedef uintptr_t UINT_PTR;
typedef UINT_PTR WPARAM;
typedef LONG_PTR LPARAM;
typedef LONG_PTR LRESULT;
typedef void* LPVOID;
typedef const char* LPCSTR;
typedef char* LPSTR;

struct HWND__;
typedef HWND__* HWND;
struct HINSTANCE__;
typedef HINSTANCE__* HINSTANCE;
typedef HINSTANCE HMODULE;

typedef INT_PTR(CALLBACK* DLGPROC)(HWND, UINT, WPARAM, LPARAM);

#define TRUE 1
#define FALSE 0

#define IDOK 1
#define IDCANCEL 2
#define IDYES 6
#define IDNO 7

#define MB_OK 0x00000000L
#define MB_YESNO 0x00000004L
#define MB_ICONEXCLAMATION 0x00000030L
#define MB_ICONINFORMATION 0x00000040L

#define WM_INITDIALOG 0x0110
#define WM_COMMAND 0x0111

extern "C" {
HMODULE WINAPI GetModuleHandleA(LPCSTR module_name);
INT_PTR WINAPI DialogBoxParamA(HINSTANCE instance, LPCSTR template_name, HWND owner, DLGPROC proc, LPARAM param);
BOOL WINAPI EndDialog(HWND dialog, INT_PTR result);
int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);
}
