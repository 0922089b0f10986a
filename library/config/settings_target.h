// The first argument of the exports that can address either copy of a
// setting: 0 = runtime settings, 1 = flash (power-up) settings, and for
// setters 2 = both, runtime first.
#pragma once

namespace kelvane::config {

inline constexpr int kTargetRuntime = 0;
inline constexpr int kTargetFlash = 1;
inline constexpr int kTargetBoth = 2;

constexpr bool IsGetterTarget(int target) {
    return target == kTargetRuntime || target == kTargetFlash;
}

constexpr bool IsSetterTarget(int target) {
    return IsGetterTarget(target) || target == kTargetBoth;
}

constexpr bool ReachesRuntime(int target) {
    return target == kTargetRuntime || target == kTargetBoth;
}

constexpr bool ReachesFlash(int target) {
    return target == kTargetFlash || target == kTargetBoth;
}

// Runs a setter's steps for a target: the runtime step first, then the
// flash step. A non-zero result stops there and is returned, so a refused
// runtime change leaves the flash untouched.
template <typename RuntimeStep, typename FlashStep>
int ApplyToTarget(int target, RuntimeStep runtimeStep, FlashStep flashStep) {
    if (ReachesRuntime(target)) {
        if (const int result = runtimeStep(); result != 0) {
            return result;
        }
    }
    if (ReachesFlash(target)) {
        if (const int result = flashStep(); result != 0) {
            return result;
        }
    }
    return 0;
}

}  // namespace kelvane::config
