// The image correction dialog ("Corrección de la imagen"): the tone curve edited with the
// mouse, the three pairs of step arrows and "Valor prefijado".
#pragma once
#include <cstdint>

#include <windows.h>

// Runs the dialog modally, owned by `owner`, on the working record's five tone points:
// they seed the curve, and "Valor prefijado" writes the factory values back into them.
// The dialog edits the tone curve itself; the caller copies it back into the points.
INT_PTR image_correction_run(HWND owner, uint8_t tone_points[5]);
