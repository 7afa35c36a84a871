// The About box ("Acerca del dispositivo"): the driver's identity and the maker's logo.
#pragma once
#include <windows.h>

// Runs the box modally, owned by `owner`; it closes only through "Aceptar".
INT_PTR about_box_run(HWND owner);
