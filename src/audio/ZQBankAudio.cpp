#include "audio/ZQBankAudio.h"

namespace quillon {

bool ZQBankAudio::registerBank(const std::string& path) {
    releaseBank();
    current_ = system_.ZQBankRegister(path.c_str(), 0);
    return current_ != nullptr;
}

void ZQBankAudio::releaseBank() {
    if (current_ == nullptr) return;
    system_.ZQBankRelease(current_);
    current_ = nullptr;
}

std::string ZQBankAudio::registeredBankPath() const {
    return current_ != nullptr ? system_.ZQBankGetFileName(current_) : std::string();
}

}  // namespace quillon
