#include "ui/pages/PageLogic.h"

#include "settings/ProfileSettings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <limits>

using namespace zel;

TEST(SliderValue, EndsAndMiddle) {
    // A 300 px wide slider at x0 = 100 with 11 steps.
    EXPECT_EQ(sliderValue(50, 100, 300, 11), 1);
    EXPECT_EQ(sliderValue(100, 100, 300, 11), 1);
    EXPECT_EQ(sliderValue(110, 100, 300, 11), 1); // less than one step in
    EXPECT_EQ(sliderValue(400, 100, 300, 11), 11);
    EXPECT_EQ(sliderValue(2000, 100, 300, 11), 11);
    // d = 150, step = 27.27: (150 + 13.64) / 27.27 = 6.0 -> 6
    EXPECT_EQ(sliderValue(100 + 150, 100, 300, 11), 6);
    EXPECT_EQ(sliderValue(100 + 40, 100, 300, 11), 1); // (40 + 13.6) / 27.3 = 1.97
    EXPECT_EQ(sliderValue(100 + 42, 100, 300, 11), 2);
}

TEST(SliderValue, FireTimeNeverBelowEight) {
    for (int x = 0; x < 500; x += 7) {
        const int v = fireTimeFromSlider(sliderValue(x, 100, 300, 300));
        EXPECT_GE(v, 8);
        EXPECT_LE(v, 300);
    }
    EXPECT_EQ(fireTimeFromSlider(sliderValue(400, 100, 300, 300)), 300);
    EXPECT_EQ(dpiSetFromSlider(sliderValue(0, 10, 303, 17)), 0);
    EXPECT_EQ(dpiSetFromSlider(sliderValue(400, 10, 303, 17)), 16);
    EXPECT_EQ(ledCycleTimeFromSlider(6), 5);
    EXPECT_EQ(ledBrightFromSlider(1), 6);
}

TEST(DpiToggle, KeepsTheCurrentLevelEnabled) {
    SharedSettings s;
    s.dpiEnabled = {true, false, false, false, false, false};
    s.dpiLevel = 0;
    toggleDpiLevel(s, 0); // the only enabled level stays enabled and current
    EXPECT_TRUE(s.dpiEnabled[0]);
    EXPECT_EQ(s.dpiLevel, 0);

    s.dpiEnabled = {true, false, true, false, true, false};
    s.dpiLevel = 4;
    toggleDpiLevel(s, 4); // current moves forward cyclically: 5 disabled, wraps to 0
    EXPECT_FALSE(s.dpiEnabled[4]);
    EXPECT_EQ(s.dpiLevel, 0);
    toggleDpiLevel(s, 3); // enabling changes nothing else
    EXPECT_TRUE(s.dpiEnabled[3]);
    EXPECT_EQ(s.dpiLevel, 0);
    toggleDpiLevel(s, 2); // not current: only disabled
    EXPECT_FALSE(s.dpiEnabled[2]);
    EXPECT_EQ(s.dpiLevel, 0);
}

TEST(DpiToggle, NeverLeavesNoLevelEnabledEvenFromAnInconsistentFile) {
    SharedSettings s;
    s.dpiEnabled = {false, true, false, false, false, false};
    s.dpiLevel = 3; // a file may name a disabled level as current
    toggleDpiLevel(s, 1);
    EXPECT_TRUE(s.dpiEnabled[1]);
    toggleDpiLevel(s, 9); // out of range: nothing
    toggleDpiLevel(s, -1);
    EXPECT_EQ(s.dpiLevel, 3);
}

TEST(CommandLine, HideIsExactAndCaseSensitive) {
    // The arguments after the program's own name.
    EXPECT_TRUE(commandLineAsksHidden("-HIDE"));
    EXPECT_TRUE(commandLineAsksHidden("/x -HIDEAWAY"));
    EXPECT_FALSE(commandLineAsksHidden("-hide"));
    EXPECT_FALSE(commandLineAsksHidden("--app-dir /a -HIDE")); // the first "-" counts
    EXPECT_TRUE(commandLineAsksHidden("HIDE"));
    EXPECT_FALSE(commandLineAsksHidden("zel"));
    EXPECT_FALSE(commandLineAsksHidden(""));
}

TEST(Labels, CutAtSixteenCharacters) {
    EXPECT_EQ(buttonLabel("Left click"), "Left click");
    EXPECT_EQ(buttonLabel("0123456789abcdef"), "0123456789abcdef");
    EXPECT_EQ(buttonLabel("0123456789abcdefg"), "0123456789abcdef...");
    EXPECT_EQ(buttonLabel("左键单击左键单击左键单击左键单击左"),
              "左键单击左键单击左键单击左键单击...");
}

TEST(AssignmentMenu, NeedsAnotherLeftClickButton) {
    std::array<std::int32_t, 12> codes{};
    codes[0] = 1;
    EXPECT_FALSE(assignmentMenuAllowed(codes, 8, 0));
    EXPECT_TRUE(assignmentMenuAllowed(codes, 8, 3));
    codes[9] = 1; // beyond KeyNum does not count
    EXPECT_FALSE(assignmentMenuAllowed(codes, 8, 0));
}

TEST(AssignmentMenu, KeepsALeftClickInTheFirstProfileOnly) {
    // The only left click (slot 0) gets another function: the next button takes it over.
    std::array<std::int32_t, 12> codes{1, 2, 3, 4, 5, 6, 0, 0, 0, 0, 0, 0};
    std::array<std::int32_t, 12> marks{};
    marks[0] = 1;
    assignButton(codes, marks, 0, 0, 3, 8);
    EXPECT_EQ(codes[0], 3);
    EXPECT_EQ(marks[0], 0);
    EXPECT_EQ(codes[1], 1);

    // The last button gets it back itself.
    codes = {2, 2, 2, 2, 2, 2, 2, 1, 9, 9, 9, 9};
    assignButton(codes, marks, 0, 7, macroAssignCode(1, 0), 8);
    EXPECT_EQ(codes[7], 1);
    EXPECT_EQ(codes[8], 9) << "buttons past the mouse's count are never touched";

    // Another left click is enough; profile 1 may lose its only one.
    codes = {1, 1, 2, 2, 2, 2, 2, 2, 0, 0, 0, 0};
    assignButton(codes, marks, 0, 0, 4, 8);
    EXPECT_EQ(codes[0], 4);
    EXPECT_EQ(codes[1], 1);
    EXPECT_EQ(codes[2], 2);
    codes = {1, 2, 2, 2, 2, 2, 2, 2, 0, 0, 0, 0};
    assignButton(codes, marks, 1, 0, 4, 8);
    EXPECT_EQ(std::count(codes.begin(), codes.end(), 1), 0);

    // A slot outside the buttons changes nothing.
    const auto before = codes;
    assignButton(codes, marks, 0, 8, 5, 8);
    assignButton(codes, marks, 0, -1, 5, 8);
    EXPECT_EQ(codes, before);
    EXPECT_EQ(macroAssignCode(1, 0), 256);
    EXPECT_EQ(macroAssignCode(3, 2), 770);
}

TEST(SliderFill, Scales) {
    EXPECT_EQ(dpiSliderFill(0), 17);
    EXPECT_EQ(dpiSliderFill(15), 285);
    EXPECT_EQ(dpiSliderFill(16), 303);
    EXPECT_EQ(elevenStepSliderFill(11, 220), 220);
    EXPECT_EQ(elevenStepSliderFill(5, 220), 100);
    EXPECT_EQ(fireTimeSliderFill(150, 300), 150);
    EXPECT_EQ(fireTimeSliderFill(301, 300), 300);
    EXPECT_EQ(dpiOfStep(0), 200);
    EXPECT_EQ(dpiOfStep(10), 2400);
    EXPECT_EQ(dpiOfStep(16), 7200);
    EXPECT_EQ(dpiOfStep(40), 7200);
}

TEST(PopupPlacement, OpensAboveNearTheBottom) {
    auto p = assignmentPopupPlacement(100, 200, 80, 30, 330, 1000);
    EXPECT_EQ(p.x, 101);
    EXPECT_EQ(p.y, 230);
    EXPECT_EQ(p.width, 81);
    p = assignmentPopupPlacement(100, 800, 80, 30, 330, 1000);
    EXPECT_EQ(p.y, 470);
}

constexpr int kIntMin = std::numeric_limits<int>::min();
constexpr int kIntMax = std::numeric_limits<int>::max();
constexpr std::array<int, 9> kExtremes = {kIntMin, kIntMin + 1, -32769,      -1,     0,
                                          1,       32768,       kIntMax - 1, kIntMax};

TEST(SliderValue, StaysInItsStepsForEveryPointerAndRectangle) {
    for (const int steps : {1, 6, 7, 11, 17, 300}) {
        for (const int x : kExtremes) {
            for (const int x0 : kExtremes) {
                for (const int width : kExtremes) {
                    const int v = sliderValue(x, x0, width, steps);
                    EXPECT_GE(v, 1) << x << ' ' << x0 << ' ' << width << ' ' << steps;
                    EXPECT_LE(v, steps) << x << ' ' << x0 << ' ' << width << ' ' << steps;
                }
            }
        }
    }
    EXPECT_EQ(sliderValue(kIntMax, kIntMin, 303, 17), 17);
    EXPECT_EQ(sliderValue(kIntMin, kIntMax, 303, 17), 1);
    EXPECT_EQ(sliderValue(kIntMax, kIntMin, kIntMax, 17), 17);
    EXPECT_EQ(sliderValue(100, 0, kIntMax, kIntMax), 100);
    EXPECT_EQ(sliderValue(50, 0, kIntMin, 11), 11); // a negative width: the far end
    EXPECT_EQ(sliderValue(50, 0, 300, 0), 1);       // no steps: the first value
    EXPECT_EQ(sliderValue(50, 0, 300, kIntMin), 1);
}

TEST(SliderValue, EveryPositionOfTheShippedSlidersKeepsItsValue) {
    // Pointer x - x0 and the value it gives, for the widths the layouts use.
    struct Row {
        int width;
        int steps;
        int d;
        int value;
    };
    for (const Row& r :
         {Row{303, 17, 17, 1}, Row{303, 17, 27, 2}, Row{303, 17, 160, 9}, Row{303, 17, 294, 16},
          Row{220, 11, 29, 1}, Row{220, 11, 110, 6}, Row{220, 11, 209, 10}, Row{300, 300, 150, 150},
          Row{300, 300, 299, 299}, Row{120, 6, 50, 3}, Row{140, 7, 139, 7}}) {
        EXPECT_EQ(sliderValue(500 + r.d, 500, r.width, r.steps), r.value)
            << r.width << ' ' << r.steps << ' ' << r.d;
    }
}

TEST(SliderFill, ExtremeValuesSaturateAndValidOnesKeepTheirFill) {
    EXPECT_EQ(dpiSliderFill(-1), 0);
    EXPECT_EQ(dpiSliderFill(1), 35);
    EXPECT_EQ(dpiSliderFill(8), 160);
    EXPECT_EQ(dpiSliderFill(kIntMax), kIntMax);
    EXPECT_EQ(dpiSliderFill(kIntMin), kIntMin);
    EXPECT_EQ(elevenStepSliderFill(10, 220), 200);
    EXPECT_EQ(elevenStepSliderFill(-1, 220), -20);
    EXPECT_EQ(elevenStepSliderFill(5, kIntMin), -976128930);
    EXPECT_EQ(elevenStepSliderFill(kIntMin, kIntMin), kIntMax);
    EXPECT_EQ(elevenStepSliderFill(kIntMin, kIntMax), kIntMin);
    EXPECT_EQ(elevenStepSliderFill(kIntMax, 220), 220);
    EXPECT_EQ(fireTimeSliderFill(8, 245), 6);
    EXPECT_EQ(fireTimeSliderFill(299, 300), 299);
    EXPECT_EQ(fireTimeSliderFill(kIntMin, 300), kIntMin);
    EXPECT_EQ(fireTimeSliderFill(-1, kIntMax), -7158278);
    EXPECT_EQ(fireTimeSliderFill(kIntMin, kIntMin), kIntMax);
    EXPECT_EQ(fireTimeSliderFill(kIntMax, 0), 0);
    for (const int value : kExtremes) {
        for (const int width : kExtremes) {
            static_cast<void>(elevenStepSliderFill(value, width)); // runs clean under UBSan
            static_cast<void>(fireTimeSliderFill(value, width));
        }
    }
}

TEST(SliderValue, StoredValuesSaturateAtTheEndsOfInt) {
    EXPECT_EQ(dpiSetFromSlider(1), 0);
    EXPECT_EQ(dpiSetFromSlider(17), 16);
    EXPECT_EQ(dpiSetFromSlider(kIntMin), kIntMin);
    EXPECT_EQ(dpiSetFromSlider(kIntMax), kIntMax - 1);
    EXPECT_EQ(ledCycleTimeFromSlider(1), 0);
    EXPECT_EQ(ledCycleTimeFromSlider(kIntMin), kIntMin);
    EXPECT_EQ(ledBrightFromSlider(7), 0);
    EXPECT_EQ(ledBrightFromSlider(kIntMin), kIntMax);
    EXPECT_EQ(ledBrightFromSlider(kIntMax), kIntMin + 8);
    EXPECT_EQ(fireTimeFromSlider(kIntMin), 8);
    EXPECT_EQ(fireTimeFromSlider(kIntMax), kIntMax);
}

TEST(PopupPlacement, ExtremeRectanglesSaturate) {
    auto p = assignmentPopupPlacement(kIntMax, kIntMax, kIntMax, kIntMax, kIntMax, 1000);
    EXPECT_EQ(p.x, kIntMax);
    EXPECT_EQ(p.y, 0); // above: kIntMax - kIntMax
    EXPECT_EQ(p.width, kIntMax);
    p = assignmentPopupPlacement(kIntMin, kIntMin, kIntMin, kIntMin, 330, 1000);
    EXPECT_EQ(p.x, kIntMin + 1);
    EXPECT_EQ(p.y, kIntMin); // below, at y + h
    EXPECT_EQ(p.width, kIntMin + 1);
    p = assignmentPopupPlacement(0, kIntMin, 0, 0, kIntMax, kIntMin);
    EXPECT_EQ(p.y, kIntMin); // y - popupHeight
}
