// The editor's audio on the loopback device, recording each call of the bank test
// first; header only, as only its users link the audio library.
#pragma once

#include <string>
#include <vector>

#include "audio/EditorAudio.h"

namespace quillon::test {

class RecordingEditorAudio : public EditorAudio {
  public:
    RecordingEditorAudio() : EditorAudio(ZQ_OUTPUT_LOOPBACK) {}

    void setAtmosBankVolume(int volume) override {
        calls.push_back("atmos volume " + std::to_string(volume));
        EditorAudio::setAtmosBankVolume(volume);
    }
    void setAtmosGroup(int group) override {
        calls.push_back("atmos group " + std::to_string(group));
        EditorAudio::setAtmosGroup(group);
    }
    const ZQ_MusicInfo* playMusic(uint32_t trackNumber) override {
        calls.push_back("music play " + std::to_string(trackNumber));
        return EditorAudio::playMusic(trackNumber);
    }
    void stopMusic() override {
        calls.push_back("music stop");
        EditorAudio::stopMusic();
    }
    void setMusicMasterVolume(int volume) override {
        calls.push_back("music volume " + std::to_string(volume));
        EditorAudio::setMusicMasterVolume(volume);
    }

    std::vector<std::string> calls;
};

}  // namespace quillon::test
