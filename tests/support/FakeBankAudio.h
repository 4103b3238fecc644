// Records what the document asks of the audio library.
#pragma once

#include <string>
#include <vector>

#include "bank/BankAudio.h"

namespace quillon::test {

class FakeBankAudio : public BankAudio {
  public:
    void stopAllSamples() override { calls.push_back("stop"); }
    bool registerBank(const std::string& path) override {
        calls.push_back("register " + path);
        registered = path;
        return true;
    }
    void releaseBank() override {
        calls.push_back("release");
        registered.clear();
    }
    std::string registeredBankPath() const override { return registered; }

    std::vector<std::string> calls;
    std::string registered;
};

}  // namespace quillon::test
