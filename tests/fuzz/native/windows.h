// What the TWAIN header takes from <windows.h>, so that the data source's and the acquisition program's
// pure parts build natively for the fuzz harnesses. Nothing here is used to talk to Windows.
#pragma once

using HANDLE = void*;
using LPVOID = void*;
#ifndef WINAPI
#define WINAPI
#endif
