#include "chip/fault_injector.h"

namespace kelvane::sim {

void FaultActivation::ApplyPatches(Report& response) const {
    for (std::size_t i = 0; i < patchCount; ++i) {
        if (patches[i].index < response.size()) {
            response[patches[i].index] = patches[i].value;
        }
    }
}

FaultActivation FaultInjector::Activate(std::uint8_t command) {
    FaultActivation activation;
    for (FaultRule& rule : rules_) {
        if (rule.command != kAnyCommand && rule.command != command) {
            continue;
        }
        if (rule.skip > 0) {
            --rule.skip;
            continue;
        }
        if (rule.times == 0) {
            continue;
        }
        if (rule.times > 0) {
            --rule.times;
        }
        auto patch = [&](std::size_t index, std::uint8_t value) {
            if (activation.patchCount < FaultActivation::kMaxPatches) {
                activation.patches[activation.patchCount++] = {index, value};
            }
        };
        switch (rule.kind) {
            case FaultKind::kNoAnswer: activation.noAnswer = true; break;
            case FaultKind::kWrongEcho: patch(0, rule.value); break;
            case FaultKind::kStatus: patch(1, rule.value); break;
            case FaultKind::kSetByte: patch(rule.index, rule.value); break;
            case FaultKind::kWriteTimeout: activation.writeTimeout = true; break;
            case FaultKind::kWriteRefused: activation.writeRefused = true; break;
            case FaultKind::kWriteWaitFails: activation.writeWaitFails = true; break;
            case FaultKind::kReadRefused: activation.readRefused = true; break;
            case FaultKind::kReadWaitFails: activation.readWaitFails = true; break;
            case FaultKind::kRefuse:
                activation.ignored = true;
                patch(1, 0x01);
                patch(2, rule.value);
                break;
            case FaultKind::kNotReady:
                activation.ignored = true;
                patch(3, rule.value);
                break;
            case FaultKind::kStray: activation.stray = true; break;
            case FaultKind::kLateAnswer: activation.lateAnswer = true; break;
        }
    }
    return activation;
}

}  // namespace kelvane::sim
