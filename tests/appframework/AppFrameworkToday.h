// SPDX-License-Identifier: MIT
// The application framework of AppFramework.h with today's MFC shape:
// pointer-sized array sizes, CString::GetString, a bool IsEmpty, and new
// array elements constructed rather than zero-filled.
#ifndef APPFRAMEWORKTODAY_H
#define APPFRAMEWORKTODAY_H
#define APPFRAMEWORK_TODAY
#include "AppFramework.h"
#endif
