// What the document asks of the audio library: stop every sample, and keep the
// bank last opened or saved registered so that previews play out of it. The
// audio library implements it; the command-line tool and tests may pass none.
#pragma once

#include <string>

namespace quillon {

class BankAudio {
  public:
    virtual ~BankAudio() = default;
    virtual void stopAllSamples() = 0;
    // Registers a bank file as the current bank; false when it cannot be read.
    virtual bool registerBank(const std::string& path) = 0;
    // Releases the current bank, if any.
    virtual void releaseBank() = 0;
    // The current bank's path; empty without one.
    virtual std::string registeredBankPath() const = 0;
};

}  // namespace quillon
