#include "help_pages.h"

namespace kelvane::cli {

const wchar_t kVersionBanner[] =
    L"Version 1.0.2\n"
    L"Copyright (c) 2026 Kelvane host software developers\n";

}  // namespace kelvane::cli
