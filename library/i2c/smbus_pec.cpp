#include "i2c/smbus_pec.h"

#include "i2c/i2c_protocol.h"
#include "i2c/pec.h"

namespace kelvane::i2c {

std::uint8_t WriteBlockPec(std::uint8_t address, std::span<const std::uint8_t> data) {
    return PecUpdate(PecUpdate(0, address), data);
}

std::uint8_t ReadBlockPec(std::uint8_t address, std::uint8_t index, std::span<const std::uint8_t> data) {
    std::uint8_t code = PecUpdate(0, address);
    code = PecUpdate(code, index);
    code = PecUpdate(code, static_cast<std::uint8_t>(address | kReadBit));
    return PecUpdate(code, data);
}

}  // namespace kelvane::i2c
