// Calling conventions of the host interface: PLADI is stdcall, every other call in either
// direction (request handlers, host services, image callbacks) uses the C convention.
#pragma once

#define WF_STDCALL __attribute__((stdcall))
#define WF_CDECL __attribute__((cdecl))

// The one symbol the shipped binaries export. On Windows the .def file exports it; on
// Linux everything else is built with hidden visibility.
#ifdef _WIN32
#define WF_EXPORT
#else
#define WF_EXPORT __attribute__((visibility("default")))
#endif
