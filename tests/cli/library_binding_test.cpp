// Binding of the library's entry points by name.
#include "binding/library_binding.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kelvane::cli {
namespace {

void Entry() {}

// A lookup that knows every name but `missing` and records what it was
// asked for.
struct FakeLookup {
    std::string missing;
    std::vector<std::string> asked;

    AnyEntryPoint operator()(const char* name) {
        asked.emplace_back(name);
        return missing == name ? nullptr : &Entry;
    }
};

const std::vector<std::string> kOrder{
    "DllInitCustom", "DllInit",       "GetConnectionStatus", "GetFirmwareVersion",    "GetHardwareVersion",
    "GetDevCount",   "GetSelectedDevNumber", "GetSelectedDevInfo", "SelectDev",      "SmbWriteBlock",
    "SmbReadBlock",  "GetSerialNumber", "ReadI2cData",       "WriteI2cData",          "GetGpPinConfiguration",
    "SetGpPinConfiguration", "ReadGpioPinValue"};

TEST(LibraryBinding, LooksUpTheSeventeenNamesInTheirOrder) {
    FakeLookup lookup;
    LibraryBinding binding;
    EXPECT_EQ(BindEntryPoints(std::ref(lookup), binding), kBindOk);
    EXPECT_EQ(lookup.asked, kOrder);
    EXPECT_NE(binding.DllInitCustom, nullptr);
    EXPECT_NE(binding.ReadGpioPinValue, nullptr);
}

TEST(LibraryBinding, StopsAtTheFirstMissingName) {
    // Names the program never calls must be there as well.
    FakeLookup lookup{"GetHardwareVersion", {}};
    LibraryBinding binding;
    EXPECT_EQ(BindEntryPoints(std::ref(lookup), binding), kBindNameMissing);
    EXPECT_EQ(lookup.asked, std::vector<std::string>(kOrder.begin(), kOrder.begin() + 5));
    EXPECT_EQ(binding.GetDevCount, nullptr);

    FakeLookup last{"ReadGpioPinValue", {}};
    EXPECT_EQ(BindEntryPoints(std::ref(last), binding), kBindNameMissing);
    EXPECT_EQ(last.asked.size(), 17u);
}

}  // namespace
}  // namespace kelvane::cli
