#include "lighting/SoundWaveModel.h"

#include "platform/ini/IniStore.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <fstream>

namespace zel {
namespace {

TEST(SoundWaveModel, SettingsReadBoundedAndWriteTheSwitchOn) {
    test::TempDir dir;
    const std::string file = (dir.path() / "config.ini").string();
    {
        std::ofstream out(file);
        out << "[ShareData]\nSoundWaveMode=3\nSoundSpeaker=123456\nSoundMicroph=x\nWaveShowStatu="
               "2\n";
    }
    ini::IniStore ini;
    SoundWaveSettings s = readSoundWaveSettings(ini, file);
    EXPECT_EQ(s.soundMode, 3);
    EXPECT_EQ(s.soundSpeaker, 12345); // five characters
    EXPECT_EQ(s.soundMicrophone, 0);  // not a number
    EXPECT_EQ(s.soundBright2, 0);     // missing
    EXPECT_EQ(s.soundShow, 2);

    s.soundShow = 0; // closing stores the switch as on whatever it shows
    s.soundBright2 = 4;
    ASSERT_TRUE(writeSoundWaveSettings(ini, file, s));
    const SoundWaveSettings back = readSoundWaveSettings(ini, file);
    EXPECT_EQ(back.soundShow, 1);
    EXPECT_EQ(back.soundMode, 3);
    EXPECT_EQ(back.soundSpeaker, 12345);
    EXPECT_EQ(back.soundBright2, 4);
}

TEST(SoundWaveModel, PlaceBesideACentredMainWindow) {
    EXPECT_EQ(soundWindowPlace(1920, 1080, 1000, 700), (SoundWindowPlace{710, 290}));
    EXPECT_EQ(soundWindowPlace(1281, 721, 999, 699), (SoundWindowPlace{391, 111})); // halves apart
}

TEST(SoundWaveModel, PressesByElement) {
    std::array<SoundRect, kSoundHitElements> rects{};
    rects[2] = {40, 60, 64, 64};
    rects[9] = {360, 76, 120, 36};
    rects[11] = {0, 0, 600, 400}; // behind everything: only what the others leave
    EXPECT_EQ(soundHitTest(rects, 40, 60), 2);
    EXPECT_EQ(soundHitTest(rects, 104, 60), 11); // right edge is outside
    EXPECT_EQ(soundHitTest(rects, 600, 10), kSoundNoElement);

    SoundLightState state;
    EXPECT_EQ(pressSoundElement(state, 4), SoundPress::ChooseMode);
    EXPECT_EQ(state.soundMode.load(), 4);
    EXPECT_EQ(pressSoundElement(state, 9), SoundPress::SwitchOn);
    EXPECT_EQ(state.soundShow.load(), 1);
    EXPECT_EQ(pressSoundElement(state, 9), SoundPress::SwitchOff);
    EXPECT_EQ(state.soundShow.load(), 0);
    state.setShow(2); // as read from the settings: also on
    EXPECT_EQ(pressSoundElement(state, 9), SoundPress::SwitchOff);
    for (int element : {0, 1, 5, 6, 7, 8}) {
        EXPECT_EQ(pressSoundElement(state, element), SoundPress::Nothing) << element;
    }
    EXPECT_EQ(state.soundMode.load(), 4);
    EXPECT_EQ(pressSoundElement(state, 10), SoundPress::Close);
    EXPECT_EQ(pressSoundElement(state, 11), SoundPress::MoveWindow);
    EXPECT_EQ(pressSoundElement(state, kSoundNoElement), SoundPress::MoveWindow);
}

TEST(SoundWaveModel, GraphBarsAndFlatLines) {
    SoundLightState state;
    state.setShow(1);
    state.sample(1.0F); // 100 at positions 0 and 1
    state.sample(0.5F);
    EXPECT_FALSE(soundGraphShowsBars(state)); // level 0: the window is near silent
    state.soundLevel.store(3);
    EXPECT_TRUE(soundGraphShowsBars(state));
    state.setShow(0);
    EXPECT_FALSE(soundGraphShowsBars(state));

    const auto values = soundGraphValues(state.sampleHistory);
    EXPECT_EQ(values[0], 50);                     // cell 13 shows position 1
    EXPECT_EQ(values[1], 99);                     // 100 drawn as 99 ...
    EXPECT_EQ(state.sampleHistory[2].load(), 99); // ... and stored back as 99
    EXPECT_EQ(state.sampleHistory[0].load(), 50);

    const SoundRect cell{40, 170, 9, 110};
    EXPECT_EQ(soundBar(cell, 50), (SoundRect{40, 197, 9, 55}));
    EXPECT_EQ(soundBar(cell, 0), (SoundRect{40, 225, 9, 0}));
    EXPECT_EQ(soundFlatLine(cell), (SoundRect{40, 223, 9, 2}));
}

} // namespace
} // namespace zel
