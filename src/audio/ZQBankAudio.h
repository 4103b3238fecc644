// The document's view of the audio library (BankAudio) on a ZQ_AudioSystem:
// the program-wide current bank handle, registered and released for the
// document, and Stop All. It releases its bank when destroyed, so it must go
// before the system it was made with.
#pragma once

#include <string>

#include "audio/ZQAudio.h"
#include "bank/BankAudio.h"

namespace quillon {

class ZQBankAudio final : public BankAudio {
  public:
    explicit ZQBankAudio(ZQ_AudioSystem& system) : system_(system) {}
    ~ZQBankAudio() override { releaseBank(); }
    ZQBankAudio(const ZQBankAudio&) = delete;
    ZQBankAudio& operator=(const ZQBankAudio&) = delete;

    void stopAllSamples() override { system_.ZQSampleStopAll(); }
    // Releases the current bank first; on failure there is no current bank.
    bool registerBank(const std::string& path) override;
    void releaseBank() override;
    std::string registeredBankPath() const override;

    // The current bank handle for ZQ_SamplePlayOptions and the ambience; null
    // without one.
    [[nodiscard]] ZQ_AudioBank* currentBank() const { return current_; }
    [[nodiscard]] ZQ_AudioSystem& system() { return system_; }

  private:
    ZQ_AudioSystem& system_;
    ZQ_AudioBank* current_ = nullptr;
};

}  // namespace quillon
