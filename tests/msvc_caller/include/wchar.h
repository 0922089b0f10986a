/* Stands in for the C runtime's <wchar.h>, which kelvane.h includes for
 * wchar_t: the caller is built for the MSVC ABI without MSVC's headers, and
 * the compiler's own <stddef.h> defines wchar_t as MSVC's does. */
#pragma once
#include <stddef.h>
