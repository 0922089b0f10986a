#include "bus/probe.h"

#include <vector>

#include "bus/slave_access.h"

namespace kelvane::tool {

const char* ProbeName(Probe probe) {
    return probe == Probe::kWrite ? "write" : "read";
}

Probe DefaultProbe(unsigned address7) {
    const bool eepromLike = (address7 >= 0x30 && address7 <= 0x37) || (address7 >= 0x50 && address7 <= 0x5F);
    return eepromLike ? Probe::kRead : Probe::kWrite;
}

int ProbeAddress(const Library& library, unsigned speed, std::uint8_t address7, Probe probe) {
    const SlaveAccess slave(library, speed, address7);
    if (probe == Probe::kWrite) {
        return slave.Write({}, false);
    }
    std::vector<std::uint8_t> data;
    return slave.ReadPlain(1, data);
}

}  // namespace kelvane::tool
